#pragma once

#include <QObject>

namespace notchkit {

// A namespace of its own: Qt keeps one meta-object per namespace.
namespace section {
Q_NAMESPACE

// Where a piece of content is drawn, so it can adapt (smaller strokes in a wing).
enum class NotchSection { expanded, compactLeading, compactTrailing };
Q_ENUM_NS(NotchSection)

}  // namespace section

using section::NotchSection;

}  // namespace notchkit
