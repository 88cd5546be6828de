#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace halvane::test {

std::vector<std::string> mergedEnvironment(
    const std::map<std::string, std::optional<std::string>>& changes) {
    std::vector<std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const std::string name = text.substr(0, text.find('='));
        if (changes.find(name) == changes.end()) {
            merged.push_back(text);
        }
    }
    for (const auto& [name, value] : changes) {
        if (value) {
            merged.push_back(name + "=" + *value);
        }
    }
    return merged;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (auto& text : strings) {
        result.push_back(text.data());
    }
    result.push_back(nullptr);
    return result;
}

std::string binaryDirectory() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) {
        return ".";
    }
    std::string path(buffer, static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/'));
}

ChildResult runChild(const std::vector<std::string>& argv, const ChildOptions& options) {
    int input[2], output[2], error[2];
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0 ||
        ::pipe2(error, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::vector<std::string> arguments = argv;
    std::vector<std::string> environment = mergedEnvironment(options.environment);
    auto argumentPointers = pointers(arguments);
    auto environmentPointers = pointers(environment);

    const auto started = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        ::dup2(input[0], STDIN_FILENO);
        ::dup2(output[1], STDOUT_FILENO);
        ::dup2(error[1], STDERR_FILENO);
        if (!options.workingDirectory.empty() && ::chdir(options.workingDirectory.c_str()) != 0) {
            ::_exit(126);
        }
        ::execve(argumentPointers[0], argumentPointers.data(), environmentPointers.data());
        ::_exit(127);
    }
    ::close(input[0]);
    ::close(output[1]);
    ::close(error[1]);

    // Feed standard input while draining the outputs, so neither side blocks.
    ChildResult result;
    std::size_t fed = 0;
    int inputFd = input[1];
    if (options.standardInput.empty()) {
        ::close(inputFd);
        inputFd = -1;
    }
    ::signal(SIGPIPE, SIG_IGN);
    bool outputOpen = true, errorOpen = true;
    const auto deadline = started + options.limit;
    while (outputOpen || errorOpen) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            result.timedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
        pollfd fds[3] = {{output[0], POLLIN, 0}, {error[0], POLLIN, 0}, {inputFd, POLLOUT, 0}};
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        if (::poll(fds, inputFd >= 0 ? 3 : 2, static_cast<int>(wait)) < 0 && errno != EINTR) {
            break;
        }
        char buffer[4096];
        for (int i = 0; i < 2; ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            const ssize_t count = ::read(fds[i].fd, buffer, sizeof buffer);
            if (count <= 0) {
                (i == 0 ? outputOpen : errorOpen) = false;
                ::close(fds[i].fd);
                (i == 0 ? output[0] : error[0]) = -1;
                continue;
            }
            (i == 0 ? result.standardOutput : result.standardError)
                .append(buffer, static_cast<std::size_t>(count));
        }
        if (inputFd >= 0 && fds[2].revents != 0) {
            const ssize_t count = ::write(inputFd, options.standardInput.data() + fed,
                                          options.standardInput.size() - fed);
            if (count > 0) {
                fed += static_cast<std::size_t>(count);
            }
            if (count <= 0 || fed == options.standardInput.size()) {
                ::close(inputFd);
                inputFd = -1;
            }
        }
    }
    for (const int fd : {inputFd, output[0], error[0]}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    if (WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.exitStatus = -WTERMSIG(status);
    }
    return result;
}

}  // namespace halvane::test
