#include "Halvane/Terminals/TerminalDetection.h"

#include <string_view>

#include "Halvane/Terminals/TerminalIds.h"

namespace halvane {

namespace {

constexpr int terminalWalkDepth = 10;
constexpr int claudeWalkDepth = 8;

}  // namespace

std::optional<std::string> terminalIdForTermProgram(const char* termProgram) {
    if (termProgram == nullptr) {
        return std::nullopt;
    }
    const auto terminalId = halvane::terminalIdForTermProgram(std::string_view(termProgram));
    return terminalId ? std::optional<std::string>(*terminalId) : std::nullopt;
}

bool isTerminalProcessName(std::string_view name) {
    return terminalIdForProcessName(name).has_value();
}

DetectedTerminal detectTerminal(const ProcessTable& processes, std::int32_t parentPid,
                                const char* termProgram) {
    DetectedTerminal result;
    result.id = terminalIdForTermProgram(termProgram);
    std::int32_t pid = parentPid;
    for (int examined = 0; examined < terminalWalkDepth; ++examined) {
        if (pid < 2) {
            break;
        }
        const auto info = processes.info(pid);
        if (!info) {
            break;
        }
        if (isTerminalProcessName(info->name)) {
            result.pid = pid;
            break;
        }
        pid = info->parentPid;
    }
    return result;
}

std::optional<std::int32_t> detectClaudePid(const ProcessTable& processes, std::int32_t parentPid) {
    std::int32_t pid = parentPid;
    for (int examined = 0; examined < claudeWalkDepth; ++examined) {
        if (pid < 2) {
            return std::nullopt;
        }
        const auto info = processes.info(pid);
        if (!info) {
            return std::nullopt;
        }
        if (info->name.starts_with("claude")) {
            return pid;
        }
        pid = info->parentPid;
    }
    return parentPid;
}

}  // namespace halvane
