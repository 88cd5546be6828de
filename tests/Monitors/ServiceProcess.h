#pragma once

#include <sys/types.h>
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "TempDir.h"

namespace halvane::test {

// A helper daemon a fixture runs for the length of a test (a bus, a mock, a
// sound server): started in the foreground, its standard output readable line
// by line, its standard error kept for skip messages, and ended by its own
// pid when the object goes away.
class ServiceProcess final {
public:
    // argv[0] is an absolute path. environment is applied on top of ours; an
    // empty optional removes the variable.
    explicit ServiceProcess(
        const std::vector<std::string>& argv,
        const std::map<std::string, std::optional<std::string>>& environment = {});
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    pid_t pid() const { return m_pid; }
    // False once it exited (or never started).
    bool running();
    // The next line of its standard output, waiting at most limit.
    std::optional<std::string> readLine(std::chrono::milliseconds limit);
    // What it wrote to standard error so far.
    std::string errorOutput() const;

private:
    TempDir m_dir{"svc"};
    pid_t m_pid = -1;
    int m_output = -1;
    std::string m_pending;
};

}  // namespace halvane::test
