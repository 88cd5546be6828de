// Whole-process cost of one relay run, next to the cheapest possible hook.
// Runs the three programs interleaved so machine noise hits them alike, and
// prints medians and ratios against the floor.
#include <fcntl.h>
#include <spawn.h>
#include <sys/ptrace.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "Halvane/Platform/posix/UnixSocket.h"
#include "HalvaneProtocol/Framing.h"
#include "Statistics.h"

extern char** environ;

namespace {

const std::string notification =
    R"({"hook_event_name":"Notification","session_id":"bench-session","cwd":"/tmp",)"
    R"("message":"Claude is waiting for your input"})";

double runOnce(const std::string& program) {
    int input[2], output[2];
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0) {
        std::perror(program.c_str());
        std::exit(1);
    }
    ::close(input[0]);
    ::close(output[1]);
    (void)!::write(input[1], notification.data(), notification.size());
    ::close(input[1]);
    char buffer[256];
    while (::read(output[0], buffer, sizeof buffer) > 0) {
    }
    ::close(output[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", program.c_str());
        std::exit(1);
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// Peak resident memory of the program image itself. The rusage of a spawned
// child also counts the parent's pages from before exec, so the child is
// stopped at its exit instead and its own high-water mark read from procfs.
long peakResidentKiB(const std::string& program) {
    int input[2], output[2];
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
        std::exit(1);
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(input[0], 0);
        ::dup2(output[1], 1);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 2);
        ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(input[0]);
    ::close(output[1]);
    int status = 0;
    ::waitpid(pid, &status, 0);  // stopped at exec
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACEEXIT);
    ::ptrace(PTRACE_CONT, pid, nullptr, nullptr);
    (void)!::write(input[1], notification.data(), notification.size());
    ::close(input[1]);
    long peak = 0;
    for (;;) {
        ::waitpid(pid, &status, 0);
        if (WIFEXITED(status) || WIFSIGNALED(status)) {
            break;
        }
        if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
            char path[64];
            std::snprintf(path, sizeof path, "/proc/%d/status", pid);
            if (FILE* file = std::fopen(path, "r")) {
                char line[256];
                while (std::fgets(line, sizeof line, file)) {
                    std::sscanf(line, "VmHWM: %ld", &peak);
                }
                std::fclose(file);
            }
        }
        ::ptrace(PTRACE_CONT, pid, nullptr, nullptr);
    }
    ::close(output[0]);
    return peak;
}

// A socket of the benchmark's own, handed to the relay through HALVANE_SOCKET,
// so a running Halvane is left alone.
const std::string& benchSocket() {
    static const std::string path = "/tmp/halvane-bench-" + std::to_string(::getpid()) + ".sock";
    return path;
}

// Answers every event at once, like the application does for notifications.
class AnsweringServer {
public:
    AnsweringServer() {
        ::unlink(benchSocket().c_str());
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const auto address = halvane::unix_socket::address(benchSocket());
        if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_fd, 16) != 0) {
            std::perror("bind");
            std::exit(1);
        }
        m_thread = std::thread([this] {
            for (;;) {
                const int connection = ::accept(m_fd, nullptr, nullptr);
                if (m_stopping || connection < 0) {
                    if (connection >= 0) {
                        ::close(connection);
                    }
                    return;
                }
                // Read the request in bulk: this measures the relay, not a server.
                char request[65536];
                std::size_t used = 0;
                for (;;) {
                    const ssize_t count =
                        ::recv(connection, request + used, sizeof request - used, 0);
                    if (count <= 0) {
                        break;
                    }
                    used += static_cast<std::size_t>(count);
                    if (std::memchr(request, '\n', used) != nullptr || used == sizeof request) {
                        break;
                    }
                }
                halvane::writeMessage(connection, R"({"decision":"passthrough"})");
                ::close(connection);
            }
        });
    }
    ~AnsweringServer() {
        m_stopping = true;
        // Wake the accept with one last connection.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const auto address = halvane::unix_socket::address(benchSocket());
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        ::close(fd);
        m_thread.join();
        ::close(m_fd);
        ::unlink(benchSocket().c_str());
    }

private:
    int m_fd = -1;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

bool socketIsLive() {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const auto address = halvane::unix_socket::address(benchSocket());
    const bool live =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return live;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <halvane-hook> <hook-floor> [runs]\n", argv[0]);
        return 2;
    }
    const std::string relay = argv[1];
    const std::string floor = argv[2];
    const int runs = argc > 3 ? std::atoi(argv[3]) : 300;
    ::setenv("HALVANE_SOCKET", benchSocket().c_str(), 1);
    if (socketIsLive()) {
        std::fprintf(stderr, "%s is in use (is Halvane running?); quit it first\n",
                     benchSocket().c_str());
        return 1;
    }

    std::vector<double> floorTimes, aloneTimes, answeredTimes;
    const long floorKiB = peakResidentKiB(floor);
    const long aloneKiB = peakResidentKiB(relay);
    long answeredKiB = 0;
    for (int warm = 0; warm < 20; ++warm) {
        runOnce(floor);
        runOnce(relay);
    }
    {
        for (int i = 0; i < runs; ++i) {
            floorTimes.push_back(runOnce(floor));
            aloneTimes.push_back(runOnce(relay));
        }
    }
    {
        AnsweringServer server;
        answeredKiB = peakResidentKiB(relay);
        for (int i = 0; i < runs; ++i) {
            floorTimes.push_back(runOnce(floor));
            answeredTimes.push_back(runOnce(relay));
        }
    }
    const double floorMedian = halvane::bench::median(floorTimes);
    const double aloneMedian = halvane::bench::median(aloneTimes);
    const double answeredMedian = halvane::bench::median(answeredTimes);
    std::printf("relay-latency: %d runs each, Notification event, medians of wall time\n", runs);
    std::printf("  floor (C, reads stdin, prints {})   %7.3f ms   peak RSS %5ld KiB\n", floorMedian,
                floorKiB);
    std::printf("  halvane-hook, nobody listening      %7.3f ms   peak RSS %5ld KiB   ratio %.2f\n",
                aloneMedian, aloneKiB, aloneMedian / floorMedian);
    std::printf("  halvane-hook, answered by a server  %7.3f ms   peak RSS %5ld KiB   ratio %.2f\n",
                answeredMedian, answeredKiB, answeredMedian / floorMedian);
    std::printf("  memory ratio (worst relay / floor)  %.2f\n",
                static_cast<double>(std::max(aloneKiB, answeredKiB)) / floorKiB);
    return 0;
}
