#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace halvane::test {

// A real process that passes for a Claude Code agent: a copy of /bin/sleep
// under a name of the test's choosing, started by the test process (so its
// parent is not init) in the folder given. Ended and reaped when destroyed.
class AgentProcess final {
public:
    AgentProcess(const std::filesystem::path& executable, const std::filesystem::path& cwd);
    ~AgentProcess();
    AgentProcess(const AgentProcess&) = delete;
    AgentProcess& operator=(const AgentProcess&) = delete;

    std::int32_t pid() const { return static_cast<std::int32_t>(m_pid); }
    bool running() const { return m_pid > 0; }
    // Ends the process and reaps it, so it leaves the process table at once.
    void stop();

    // Copies /bin/sleep to folder/name and returns the copy's path.
    static std::filesystem::path install(const std::filesystem::path& folder,
                                         const std::string& name);

private:
    pid_t m_pid = -1;
};

}  // namespace halvane::test
