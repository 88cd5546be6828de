#pragma once

#include <map>
#include <string>

#include "Halvane/Platform/posix/ProcessTable.h"

namespace halvane::test {

// A process table the test writes by hand.
class FakeProcessTable final : public ProcessTable {
public:
    struct Entry {
        ProcessInfo info;
        std::optional<std::string> cwd;
        std::optional<std::string> executable;
        std::map<std::string, std::string> environment;
    };

    Entry& add(std::int32_t pid, std::int32_t parentPid, std::string name) {
        Entry& entry = m_entries[pid];
        entry.info = ProcessInfo{pid, parentPid, std::move(name), std::nullopt};
        return entry;
    }
    void remove(std::int32_t pid) { m_entries.erase(pid); }
    // Number of info() queries answered, to check how far a walk went.
    int queries() const { return m_queries; }

    std::vector<std::int32_t> allPids() const override {
        std::vector<std::int32_t> pids;
        for (const auto& [pid, entry] : m_entries) {
            pids.push_back(pid);
        }
        return pids;
    }
    std::optional<ProcessInfo> info(std::int32_t pid) const override {
        ++m_queries;
        const auto it = m_entries.find(pid);
        return it == m_entries.end() ? std::nullopt : std::optional(it->second.info);
    }
    std::optional<std::string> currentDirectory(std::int32_t pid) const override {
        const auto it = m_entries.find(pid);
        return it == m_entries.end() ? std::nullopt : it->second.cwd;
    }
    std::optional<std::string> executablePath(std::int32_t pid) const override {
        const auto it = m_entries.find(pid);
        return it == m_entries.end() ? std::nullopt : it->second.executable;
    }
    std::optional<std::string> environmentValue(std::int32_t pid,
                                                std::string_view name) const override {
        const auto it = m_entries.find(pid);
        if (it == m_entries.end()) {
            return std::nullopt;
        }
        const auto value = it->second.environment.find(std::string(name));
        return value == it->second.environment.end() ? std::nullopt : std::optional(value->second);
    }

private:
    std::map<std::int32_t, Entry> m_entries;
    mutable int m_queries = 0;
};

}  // namespace halvane::test
