#include "Halvane/Sessions/AgentCensus.h"

#include "Halvane/Sessions/ProcessDiscovery.h"

namespace halvane {

std::vector<RunningClaude> AgentCensus::count(const ProcessTable& processes, Timestamp now) {
    // A clock set back counts as time to read everything again.
    const bool recount =
        !m_lastRecount || now < *m_lastRecount || now - *m_lastRecount >= m_timings.recount;
    if (recount) {
        m_lastRecount = now;
    }
    std::map<std::int32_t, Entry> seen;
    std::vector<RunningClaude> running;
    for (const std::int32_t pid : processes.allPids()) {
        if (pid < 1) {
            continue;
        }
        const auto known = m_entries.find(pid);
        const bool settled = known != m_entries.end() && !known->second.candidate &&
                             now >= known->second.firstSeen &&
                             now - known->second.firstSeen >= m_timings.settle;
        if (settled && !recount) {
            seen.emplace(pid, known->second);
            continue;
        }
        const auto info = processes.info(pid);
        if (!info) {
            continue;
        }
        Entry& entry = seen[pid];
        entry.firstSeen = known != m_entries.end() ? known->second.firstSeen : now;
        entry.candidate = ProcessDiscovery::isCandidate(processes, *info);
        if (!entry.candidate) {
            continue;
        }
        if (auto agent = ProcessDiscovery::agentFrom(processes, *info)) {
            running.push_back(std::move(*agent));
        }
    }
    m_entries = std::move(seen);
    return running;
}

}  // namespace halvane
