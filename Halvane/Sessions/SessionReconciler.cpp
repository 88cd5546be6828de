#include "Halvane/Sessions/SessionReconciler.h"

#include <optional>
#include <utility>

namespace halvane::SessionReconciler {

namespace {

// Takes a found value only when the scan has one: an empty value never
// clears what is known.
template <typename Value>
bool takePresent(std::optional<Value>& field, const std::optional<Value>& found) {
    if (!found || field == found) {
        return false;
    }
    field = found;
    return true;
}

template <typename Value>
bool assign(Value& field, const Value& value) {
    if (field == value) {
        return false;
    }
    field = value;
    return true;
}

// An unfinished turn in a transcript that has not moved since a recent stop
// is the stop's own turn, read before its last lines were written.
bool stopStillHolds(const Session& session, Timestamp mtime, Timestamp now) {
    if (!session.lastStoppedAt) {
        return false;
    }
    const Timestamp stoppedAt = *session.lastStoppedAt;
    return now - stoppedAt < stopHoldsFor && mtime - stoppedAt <= writeAfterStopSlack;
}

}  // namespace

Session sessionFrom(const DiscoveredSession& found) {
    Session session;
    session.id = found.sessionId;
    session.cwd = found.cwd;
    session.status = found.turnComplete ? SessionStatus::idle() : SessionStatus::working();
    session.lastEvent = found.mtime;
    session.lastTerminalId = found.terminalId;
    session.lastTerminalPid = found.terminalPid;
    session.claudePid = found.claudePid;
    session.lastTranscriptMtime = found.mtime;
    session.firstUserPrompt = found.firstPrompt;
    session.lastUserMessage = found.lastUser;
    session.lastAssistantMessage = found.lastAssistant;
    session.lastModel = found.lastModel;
    return session;
}

bool update(Session& session, const DiscoveredSession& found, Timestamp now) {
    bool changed = assign(session.cwd, found.cwd);
    // A later transcript write is later activity; a tie goes to the transcript.
    if (found.mtime >= session.lastEvent) {
        changed = assign(session.lastEvent, found.mtime) || changed;
    }
    changed = assign(session.lastTranscriptMtime, std::optional(found.mtime)) || changed;
    if (!session.firstUserPrompt) {
        changed = takePresent(session.firstUserPrompt, found.firstPrompt) || changed;
    }
    changed = takePresent(session.lastUserMessage, found.lastUser) || changed;
    changed = takePresent(session.lastAssistantMessage, found.lastAssistant) || changed;
    changed = takePresent(session.lastModel, found.lastModel) || changed;
    changed = takePresent(session.claudePid, found.claudePid) || changed;
    changed = takePresent(session.lastTerminalId, found.terminalId) || changed;
    changed = takePresent(session.lastTerminalPid, found.terminalPid) || changed;

    if (session.status.isWaitingForUser()) {
        return changed;
    }
    SessionStatus::Kind status = SessionStatus::Kind::working;
    if (found.turnComplete) {
        status = SessionStatus::Kind::idle;
    } else if (stopStillHolds(session, found.mtime, now)) {
        status = session.status.kind();
    }
    if (status != session.status.kind()) {
        session.status =
            status == SessionStatus::Kind::idle ? SessionStatus::idle() : SessionStatus::working();
        changed = true;
    }
    return changed;
}

}  // namespace halvane::SessionReconciler
