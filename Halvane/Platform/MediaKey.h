#pragma once

#include <QObject>

namespace halvane {

// A namespace of its own: Qt keeps one meta-object per namespace.
namespace mediakey {
Q_NAMESPACE

// The keyboard's volume and brightness keys.
enum class MediaKey { volumeUp, volumeDown, brightnessUp, brightnessDown, volumeMute };
Q_ENUM_NS(MediaKey)

}  // namespace mediakey

using mediakey::MediaKey;

}  // namespace halvane
