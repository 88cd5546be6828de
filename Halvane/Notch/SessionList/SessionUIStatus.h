#pragma once

#include <QObject>

namespace halvane {

// A namespace of its own: Qt keeps one meta-object per namespace.
namespace uistatus {
Q_NAMESPACE

// The ways a session row presents a session, most urgent first. yourTurn:
// Claude Code has waited a while for the user's next prompt.
enum class SessionUIStatus { waiting, working, done, yourTurn, idle };
Q_ENUM_NS(SessionUIStatus)

}  // namespace uistatus

using uistatus::SessionUIStatus;

}  // namespace halvane
