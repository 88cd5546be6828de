#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Halvane/Sessions/Clock.h"

namespace halvane {

// A session the scanner found in a recent transcript, with the running agent
// in its working directory.
struct DiscoveredSession {
    std::string sessionId;
    std::string cwd;
    // The transcript's modification time.
    Timestamp mtime;
    std::optional<std::string> firstPrompt = std::nullopt;
    std::optional<std::string> lastUser = std::nullopt;
    std::optional<std::string> lastAssistant = std::nullopt;
    std::optional<std::string> lastModel = std::nullopt;
    bool turnComplete = true;
    std::optional<std::int32_t> claudePid = std::nullopt;
    std::optional<std::string> terminalId = std::nullopt;
    std::optional<std::int32_t> terminalPid = std::nullopt;
};

}  // namespace halvane
