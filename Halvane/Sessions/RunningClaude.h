#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace halvane {

// A claude process found in the process table, with the terminal hosting it.
struct RunningClaude {
    std::string cwd;
    std::int32_t pid = 0;
    std::optional<std::string> terminalId = std::nullopt;
    std::optional<std::int32_t> terminalPid = std::nullopt;
};

}  // namespace halvane
