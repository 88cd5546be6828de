#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Halvane/Sessions/Clock.h"
#include "Halvane/Sessions/HistoryEntry.h"
#include "Halvane/Sessions/SessionStatus.h"

namespace halvane {

// One Claude Code session as the application knows it, keyed by Claude Code's
// session id. Terminal fields keep their last known value until a newer one
// arrives; transcript fields are filled by scans.
struct Session {
    std::string id;
    std::string cwd;
    SessionStatus status;
    Timestamp lastEvent;
    std::optional<Timestamp> justFinishedAt = std::nullopt;
    std::optional<std::string> lastTerminalId = std::nullopt;
    std::optional<std::int32_t> lastTerminalPid = std::nullopt;
    std::optional<std::int32_t> claudePid = std::nullopt;
    // The machine the session runs on when it is not this one (its hooks come
    // through an ssh forward): its terminal cannot be raised or typed into.
    std::optional<std::string> remoteHost = std::nullopt;
    std::optional<Timestamp> lastTranscriptMtime = std::nullopt;
    std::optional<Timestamp> lastStoppedAt = std::nullopt;
    std::optional<std::string> firstUserPrompt = std::nullopt;
    std::optional<std::string> lastUserMessage = std::nullopt;
    std::optional<std::string> lastAssistantMessage = std::nullopt;
    std::optional<std::string> lastModel = std::nullopt;
    std::optional<std::string> transcriptPath = std::nullopt;
    // Claude Code announced the session's start: its end will be announced
    // too, so a scan that has not found its transcript yet keeps it.
    bool announced = false;
    // Claude Code has waited a while for the user's next prompt.
    bool awaitingPrompt = false;
    // The call the session's own agent is running now, as the history names it.
    std::optional<std::string> currentTool = std::nullopt;
    // Subagents running for the session, by id.
    std::set<std::string> runningAgents;
    // Oldest first, at most SessionStore::historyLimit entries.
    std::vector<HistoryEntry> history;
};

}  // namespace halvane
