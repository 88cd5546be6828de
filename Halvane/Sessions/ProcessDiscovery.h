#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Halvane/Platform/posix/ProcessTable.h"
#include "Halvane/Sessions/RunningClaude.h"
#include "Halvane/Terminals/TerminalHost.h"

namespace halvane::ProcessDiscovery {

// How many ancestors of an agent are looked at for its terminal.
constexpr int terminalSearchDepth = 10;

// The machine's own process table.
const ProcessTable& systemProcessTable();

// The claude processes now running, in the table's order: a process whose
// name contains "claude", or whose executable's lower-cased path contains
// "/claude", that has a parent other than init and a readable working
// directory.
std::vector<RunningClaude> runningClaudes(const ProcessTable& processes);
// Whether the process may be an agent by its name or executable alone.
bool isCandidate(const ProcessTable& processes, const ProcessInfo& info);
// A candidate as runningClaudes() lists it, when it has a parent other than
// init and a readable working directory.
std::optional<RunningClaude> agentFrom(const ProcessTable& processes, const ProcessInfo& candidate);
// The working directories of runningClaudes(), each once.
std::set<std::string> runningClaudeCwds(const ProcessTable& processes);
// The nearest of the agent's first ten ancestors that is a known terminal.
// The agent itself is never taken for its terminal.
TerminalHost detectTerminal(const ProcessTable& processes, std::int32_t forClaudePid);

}  // namespace halvane::ProcessDiscovery
