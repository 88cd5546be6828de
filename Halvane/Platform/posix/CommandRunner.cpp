#include "Halvane/Platform/posix/CommandRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace halvane {

namespace {

// Spawns argv with standard input and error on /dev/null and standard output
// on outputFd (or /dev/null), then waits; output is drained while waiting so
// a chatty program cannot block on a full pipe.
int spawnAndWait(const std::vector<std::string>& argv, std::chrono::milliseconds limit,
                 const std::stop_token& stop, std::string* output) {
    if (argv.empty()) {
        return EINVAL;
    }
    int pipeFds[2] = {-1, -1};
    if (output != nullptr && ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return errno;
    }
    std::vector<char*> arguments;
    for (const auto& argument : argv) {
        arguments.push_back(const_cast<char*>(argument.c_str()));
    }
    arguments.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd = 0; fd < 3; ++fd) {
        if (fd == 1 && output != nullptr) {
            posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        } else {
            posix_spawn_file_actions_addopen(&actions, fd, "/dev/null",
                                             fd == 0 ? O_RDONLY : O_WRONLY, 0);
        }
    }
    pid_t pid = 0;
    const int spawned =
        ::posix_spawnp(&pid, arguments[0], &actions, nullptr, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (output != nullptr) {
        ::close(pipeFds[1]);
    }
    const auto drain = [&] {
        if (output == nullptr) {
            return;
        }
        char buffer[4096];
        ssize_t count;
        while ((count = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) {
            output->append(buffer, static_cast<std::size_t>(count));
        }
    };
    const auto finish = [&](int result) {
        drain();
        if (output != nullptr) {
            ::close(pipeFds[0]);
        }
        return result;
    };
    if (spawned != 0) {
        return finish(spawned);
    }

    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        drain();
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return finish(WIFEXITED(status) ? WEXITSTATUS(status) : EINTR);
        }
        if (done < 0 && errno != EINTR) {
            return finish(errno);
        }
        const bool stopped = stop.stop_requested();
        if (stopped || std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return finish(stopped ? ECANCELED : ETIMEDOUT);
        }
        const timespec pause{0, 5'000'000};
        ::nanosleep(&pause, nullptr);
    }
}

}  // namespace

int runCommand(const std::vector<std::string>& argv, std::chrono::milliseconds limit,
               std::stop_token stop) {
    return spawnAndWait(argv, limit, stop, nullptr);
}

std::optional<std::string> captureCommand(const std::vector<std::string>& argv,
                                          std::chrono::milliseconds limit, std::stop_token stop) {
    std::string output;
    if (spawnAndWait(argv, limit, stop, &output) != 0) {
        return std::nullopt;
    }
    return output;
}

}  // namespace halvane
