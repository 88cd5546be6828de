#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Halvane/Platform/posix/ProcessTable.h"

namespace halvane {

// The terminal hosting a session. The two halves are found independently and
// may disagree: one from TERM_PROGRAM, the other from the chain of parents.
struct DetectedTerminal {
    std::optional<std::string> id;
    std::optional<std::int32_t> pid;

    bool operator==(const DetectedTerminal&) const = default;
};

// The terminal id for a TERM_PROGRAM value; empty for unknown values.
std::optional<std::string> terminalIdForTermProgram(const char* termProgram);

// Whether a process name is one of the terminal applications we recognise.
bool isTerminalProcessName(std::string_view name);

// Walks up from parentPid (the relay's parent) looking for a terminal process.
DetectedTerminal detectTerminal(const ProcessTable& processes, std::int32_t parentPid,
                                const char* termProgram);

// Walks up from parentPid looking for the agent. When the walk runs out of
// depth without a match the answer is parentPid itself.
std::optional<std::int32_t> detectClaudePid(const ProcessTable& processes, std::int32_t parentPid);

}  // namespace halvane
