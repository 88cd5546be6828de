#pragma once

#include <QObject>

namespace halvane {

// A namespace of its own: Qt keeps one meta-object per namespace.
namespace actionstyle {
Q_NAMESPACE

// A filled accent button for the expected answer, a quiet one for the rest.
enum class NotchActionStyle { primary, secondary };
Q_ENUM_NS(NotchActionStyle)

}  // namespace actionstyle

using actionstyle::NotchActionStyle;

}  // namespace halvane
