#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "Halvane/Platform/posix/ProcessTable.h"
#include "Halvane/Sessions/Clock.h"
#include "Halvane/Sessions/RunningClaude.h"

namespace halvane {

// The claude processes running now, as ProcessDiscovery::runningClaudes()
// finds them, without reading every process every time: reading each entry
// of the process table costs tens of microseconds, and a desktop runs
// thousands. A process seen to be no agent is afterwards only listed, not
// read, once it has settled; agents are read in full each time (their folder
// or parent may change).
class AgentCensus final {
public:
    struct Timings {
        // A process first seen this recently may still be about to exec
        // claude (a shell's child between fork and exec): it is read again.
        std::chrono::milliseconds settle{std::chrono::seconds(10)};
        // Everything is read again this often, for the rarer ways a known
        // process becomes an agent: an exec in place, or a reused pid.
        std::chrono::milliseconds recount{std::chrono::seconds(120)};
    };

    AgentCensus() : AgentCensus(Timings()) {}
    explicit AgentCensus(Timings timings) : m_timings(timings) {}

    // The agents now, in the table's order.
    std::vector<RunningClaude> count(const ProcessTable& processes, Timestamp now);

private:
    struct Entry {
        Timestamp firstSeen;
        bool candidate = false;
    };

    Timings m_timings;
    std::map<std::int32_t, Entry> m_entries;
    std::optional<Timestamp> m_lastRecount;
};

}  // namespace halvane
