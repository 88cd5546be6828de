#pragma once

#include <QObject>

namespace notchkit {

// A namespace of its own: Qt keeps one meta-object per namespace.
namespace state {
Q_NAMESPACE

// What the presenter shows: a card below the notch, two wings beside it, or nothing.
enum class NotchState { expanded, compact, hidden };
Q_ENUM_NS(NotchState)

}  // namespace state

using state::NotchState;

}  // namespace notchkit
