#include "Halvane/Sessions/ProcessDiscovery.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "Halvane/Platform/posix/ProcfsProcessTable.h"
#include "Halvane/Terminals/TerminalIds.h"

namespace halvane::ProcessDiscovery {

namespace {

constexpr std::int32_t initPid = 1;
constexpr std::int32_t kernelThreadsPid = 2;

bool pathNamesClaude(std::string path) {
    std::transform(path.begin(), path.end(), path.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return path.find("/claude") != std::string::npos;
}

// The walk from the agent's parent upwards.
TerminalHost terminalAbove(const ProcessTable& processes, std::int32_t parentPid) {
    std::int32_t pid = parentPid;
    for (int step = 0; step < terminalSearchDepth; ++step) {
        if (pid < 2) {
            return {};
        }
        const auto info = processes.info(pid);
        if (!info) {
            return {};
        }
        if (const auto terminalId = terminalIdForProcessName(info->name)) {
            return TerminalHost{std::string(*terminalId), pid};
        }
        pid = info->parentPid;
    }
    return {};
}

}  // namespace

bool isCandidate(const ProcessTable& processes, const ProcessInfo& info) {
    if (info.name.find("claude") != std::string::npos) {
        return true;
    }
    // Kernel threads have no executable; asking would only fail, a thousand
    // times a second on a busy machine.
    if (info.pid == kernelThreadsPid || info.parentPid == kernelThreadsPid) {
        return false;
    }
    const auto executable = processes.executablePath(info.pid);
    return executable && pathNamesClaude(*executable);
}

const ProcessTable& systemProcessTable() {
    static const ProcfsProcessTable table;
    return table;
}

std::vector<RunningClaude> runningClaudes(const ProcessTable& processes) {
    std::vector<RunningClaude> running;
    for (const std::int32_t pid : processes.allPids()) {
        if (pid < 1) {
            continue;
        }
        const auto info = processes.info(pid);
        if (!info || !isCandidate(processes, *info)) {
            continue;
        }
        if (auto agent = agentFrom(processes, *info)) {
            running.push_back(std::move(*agent));
        }
    }
    return running;
}

std::optional<RunningClaude> agentFrom(const ProcessTable& processes,
                                       const ProcessInfo& candidate) {
    if (candidate.parentPid == initPid) {
        return std::nullopt;
    }
    auto cwd = processes.currentDirectory(candidate.pid);
    if (!cwd) {
        return std::nullopt;
    }
    TerminalHost terminal = terminalAbove(processes, candidate.parentPid);
    return RunningClaude{std::move(*cwd), candidate.pid, std::move(terminal.id), terminal.pid};
}

std::set<std::string> runningClaudeCwds(const ProcessTable& processes) {
    std::set<std::string> cwds;
    for (RunningClaude& claude : runningClaudes(processes)) {
        cwds.insert(std::move(claude.cwd));
    }
    return cwds;
}

TerminalHost detectTerminal(const ProcessTable& processes, std::int32_t forClaudePid) {
    const auto info = processes.info(forClaudePid);
    if (!info) {
        return {};
    }
    return terminalAbove(processes, info->parentPid);
}

}  // namespace halvane::ProcessDiscovery
