#include "ServiceProcess.h"

#include "ChildProcess.h"
#include "Files.h"
#include "Polling.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace halvane::test {

ServiceProcess::ServiceProcess(
    const std::vector<std::string>& argv,
    const std::map<std::string, std::optional<std::string>>& environment) {
    int output[2];
    if (argv.empty() || ::pipe2(output, O_CLOEXEC) != 0) {
        return;
    }
    const int error =
        ::open((m_dir / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    std::vector<std::string> arguments = argv;
    std::vector<std::string> variables = mergedEnvironment(environment);
    auto argumentPointers = pointers(arguments);
    auto variablePointers = pointers(variables);

    m_pid = ::fork();
    if (m_pid == 0) {
        const int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, STDIN_FILENO);
        ::dup2(output[1], STDOUT_FILENO);
        ::dup2(error >= 0 ? error : null, STDERR_FILENO);
        ::execve(argumentPointers[0], argumentPointers.data(), variablePointers.data());
        ::_exit(127);
    }
    ::close(output[1]);
    if (error >= 0) {
        ::close(error);
    }
    if (m_pid < 0) {
        ::close(output[0]);
        return;
    }
    m_output = output[0];
}

ServiceProcess::~ServiceProcess() {
    if (m_output >= 0) {
        ::close(m_output);
    }
    if (m_pid <= 0) {
        return;
    }
    ::kill(m_pid, SIGTERM);
    // Daemons get a moment to clean up; a stuck one is killed.
    if (pollUntil([&] { return ::waitpid(m_pid, nullptr, WNOHANG) == m_pid; },
                  std::chrono::seconds(2), std::chrono::milliseconds(10))) {
        return;
    }
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
}

bool ServiceProcess::running() {
    if (m_pid <= 0) {
        return false;
    }
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_pid = -1;
        return false;
    }
    return true;
}

std::optional<std::string> ServiceProcess::readLine(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (m_pending.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (m_output < 0 || left.count() <= 0) {
            return std::nullopt;
        }
        pollfd wait{m_output, POLLIN, 0};
        if (::poll(&wait, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        char buffer[512];
        const ssize_t count = ::read(m_output, buffer, sizeof buffer);
        if (count <= 0) {
            ::close(m_output);
            m_output = -1;
            return std::nullopt;
        }
        m_pending.append(buffer, static_cast<std::size_t>(count));
    }
    const auto end = m_pending.find('\n');
    std::string line = m_pending.substr(0, end);
    m_pending.erase(0, end + 1);
    return line;
}

std::string ServiceProcess::errorOutput() const {
    return readFile(m_dir / "stderr");
}

}  // namespace halvane::test
