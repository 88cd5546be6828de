#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace halvane::test {

// A program running in the background for the length of a test, its
// standard output and error collected in <working directory>/<name>.log.
// Ended (SIGTERM, then SIGKILL) when the object goes away.
class AppProcess final {
public:
    AppProcess(const std::vector<std::string>& argv,
               const std::map<std::string, std::optional<std::string>>& environment,
               const std::filesystem::path& workingDirectory);
    ~AppProcess();
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    pid_t pid() const { return m_pid; }
    bool running();
    // What it wrote so far.
    std::string output() const;

private:
    pid_t m_pid = -1;
    std::filesystem::path m_log;
};

}  // namespace halvane::test
