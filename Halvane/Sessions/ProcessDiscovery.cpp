#include "Halvane/Sessions/ProcessDiscovery.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "Halvane/Platform/posix/ProcfsProcessTable.h"
#include "HalvaneProtocol/TerminalBundles.h"

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
        if (const auto bundle = terminalBundleForProcessName(info->name)) {
            return TerminalHost{std::string(*bundle), pid};
        }
        pid = info->parentPid;
    }
    return {};
}

}  // namespace

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
        if (!info || !isCandidate(processes, *info) || info->parentPid == initPid) {
            continue;
        }
        auto cwd = processes.currentDirectory(pid);
        if (!cwd) {
            continue;
        }
        TerminalHost terminal = terminalAbove(processes, info->parentPid);
        running.push_back(
            RunningClaude{std::move(*cwd), pid, std::move(terminal.bundleId), terminal.pid});
    }
    return running;
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
