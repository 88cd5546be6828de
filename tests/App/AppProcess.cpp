#include "AppProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "Files.h"
#include "Polling.h"

extern char** environ;

namespace halvane::test {

AppProcess::AppProcess(const std::vector<std::string>& argv,
                       const std::map<std::string, std::optional<std::string>>& environment,
                       const std::filesystem::path& workingDirectory)
    : m_log(workingDirectory / (std::filesystem::path(argv.at(0)).filename().string() + ".log")) {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        if (!environment.contains(text.substr(0, text.find('=')))) {
            variables.push_back(text);
        }
    }
    for (const auto& [name, value] : environment) {
        if (value) {
            variables.push_back(name + "=" + *value);
        }
    }
    std::vector<char*> arguments;
    for (const auto& argument : argv) {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);
    std::vector<char*> environmentPointers;
    for (auto& variable : variables) {
        environmentPointers.push_back(variable.data());
    }
    environmentPointers.push_back(nullptr);

    const int output = ::open(m_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    m_pid = ::fork();
    if (m_pid == 0) {
        // However the test ends, the program ends with it.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, STDIN_FILENO);
        ::dup2(output, STDOUT_FILENO);
        ::dup2(output, STDERR_FILENO);
        if (::chdir(workingDirectory.c_str()) != 0) {
            ::_exit(126);
        }
        ::execve(arguments[0], arguments.data(), environmentPointers.data());
        ::_exit(127);
    }
    if (output >= 0) {
        ::close(output);
    }
}

AppProcess::~AppProcess() {
    if (m_pid <= 0) {
        return;
    }
    ::kill(m_pid, SIGTERM);
    if (pollUntil([&] { return ::waitpid(m_pid, nullptr, WNOHANG) == m_pid; },
                  std::chrono::seconds(2))) {
        return;
    }
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
}

bool AppProcess::running() {
    if (m_pid <= 0) {
        return false;
    }
    if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
        m_pid = -1;
        return false;
    }
    return true;
}

std::string AppProcess::output() const {
    return readFile(m_log);
}

}  // namespace halvane::test
