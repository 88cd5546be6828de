// Round trips per second through HookServer next to a minimal single-threaded
// line-echo server built into the same run, and the resident memory each
// permission request costs while it is held open.
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Halvane/Platform/posix/UnixSocket.h"
#include "Halvane/Sessions/HookServer.h"
#include "HalvaneProtocol/HookEvent.h"
#include "Statistics.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string eventLine(halvane::HookEvent::Kind kind, int index) {
    halvane::HookEvent event;
    event.kind = kind;
    event.sessionId = "bench-" + std::to_string(index);
    event.cwd = "/home/dev/projects/halvane";
    event.message = "Claude is waiting for your input";
    event.timestamp = 7.5e8;
    event.terminalId = "org.gnome.Terminal";
    event.terminalPid = 4100;
    event.claudePid = 4242;
    return event.encode() + "\n";
}

// The application's answer to notifications: passthrough at once. Permission
// requests are held until release().
class BenchSessions final : public halvane::HookEventHandler {
public:
    void handle(const halvane::HookEvent& event, Respond respond) override {
        if (event.kind == halvane::HookEvent::Kind::permissionRequest) {
            m_held.push_back(std::move(respond));
        } else {
            respond(halvane::HookDecision{});
        }
    }
    std::size_t held() const { return m_held.size(); }
    void release() {
        for (auto& respond : m_held) {
            respond(halvane::HookDecision{halvane::HookDecision::Decision::approve});
        }
        m_held.clear();
    }

private:
    std::vector<Respond> m_held;
};

// The floor: one thread, accept, read the line, write it back, close.
class EchoServer final {
public:
    explicit EchoServer(const std::string& path) : m_path(path) {
        ::unlink(path.c_str());
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_un address = halvane::unix_socket::address(path);
        if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_fd, 16) != 0 || ::pipe2(m_wake, O_CLOEXEC) != 0) {
            std::perror("echo server");
            std::exit(1);
        }
        m_thread = std::thread([this] { serve(); });
    }
    ~EchoServer() {
        (void)!::write(m_wake[1], "x", 1);
        m_thread.join();
        ::close(m_fd);
        ::close(m_wake[0]);
        ::close(m_wake[1]);
        ::unlink(m_path.c_str());
    }

private:
    void serve() {
        for (;;) {
            pollfd ready[2] = {{m_fd, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
            ::poll(ready, 2, -1);
            if (ready[1].revents != 0) {
                return;
            }
            const int connection = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) {
                continue;
            }
            char line[4096];
            std::size_t used = 0;
            while (used < sizeof line) {
                const ssize_t count = ::recv(connection, line + used, sizeof line - used, 0);
                if (count <= 0) {
                    break;
                }
                used += static_cast<std::size_t>(count);
                if (std::memchr(line, '\n', used) != nullptr) {
                    break;
                }
            }
            ::send(connection, line, used, MSG_NOSIGNAL);
            ::close(connection);
        }
    }

    std::string m_path;
    int m_fd = -1;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
};

int connectTo(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = halvane::unix_socket::address(path);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        std::perror("connect");
        std::exit(1);
    }
    return fd;
}

bool roundTrip(const std::string& path, const std::string& request) {
    const int fd = connectTo(path);
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    char buffer[512];
    std::size_t total = 0;
    for (ssize_t count; (count = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        total += static_cast<std::size_t>(count);
    }
    ::close(fd);
    return total > 0;
}

struct Rate {
    double perSecond = 0;
    // Processor time of the whole process (clients included) per round trip;
    // other load on the machine hardly moves it, unlike the rate.
    double cpuMicroseconds = 0;
};

double processCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Round trips with `clients` clients each going as fast as it can for
// `duration`, while the main thread runs the event loop.
Rate throughput(const std::string& path, int clients, std::chrono::milliseconds duration) {
    std::atomic<long> completed{0};
    std::atomic<long> failed{0};
    const auto started = Clock::now();
    const double cpuStarted = processCpuSeconds();
    const auto end = started + duration;
    std::vector<std::thread> threads;
    QEventLoop loop;
    for (int index = 0; index < clients; ++index) {
        threads.emplace_back([&, index] {
            const std::string request = eventLine(halvane::HookEvent::Kind::notification, index);
            while (Clock::now() < end) {
                (roundTrip(path, request) ? completed : failed).fetch_add(1);
            }
        });
    }
    std::thread coordinator([&] {
        for (auto& thread : threads) {
            thread.join();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    coordinator.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    const double cpu = processCpuSeconds() - cpuStarted;
    if (failed > 0) {
        std::printf("  warning: %ld round trips without an answer\n", failed.load());
    }
    const auto count = static_cast<double>(completed.load());
    return Rate{count / seconds, cpu * 1e6 / count};
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return 0;
}

void runUntil(const std::function<bool()>& condition) {
    while (!condition()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const std::chrono::milliseconds duration(argc > 1 ? std::atoi(argv[1]) : 1000);
    constexpr int rounds = 5;
    constexpr int heldRequests = 200;

    // The server logs every connection; keep the figures readable.
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    ::dup2(devNull, STDERR_FILENO);

    char folder[] = "/tmp/hv-bench-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string echoPath = std::string(folder) + "/echo.sock";
    const std::string serverPath = std::string(folder) + "/halvane.sock";

    auto sessions = std::make_shared<BenchSessions>();
    auto server = std::make_unique<halvane::HookServer>(sessions, serverPath);
    if (const auto error = server->start()) {
        std::printf("hook-server: cannot start: %s\n", error->description.c_str());
        return 1;
    }

    std::printf("hook-server: notification round trips, median of %d rounds of %lld ms each\n",
                rounds, static_cast<long long>(duration.count()));
    std::printf("  %-8s %10s %13s %7s %24s\n", "clients", "echo/s", "HookServer/s", "ratio",
                "cpu us/trip echo, ours");
    for (const int clients : {1, 16, 64}) {
        std::vector<double> echoRates, serverRates, echoCpu, serverCpu;
        // Interleaved so that machine noise hits both alike.
        for (int round = 0; round < rounds; ++round) {
            {
                EchoServer echo(echoPath);
                const Rate rate = throughput(echoPath, clients, duration);
                echoRates.push_back(rate.perSecond);
                echoCpu.push_back(rate.cpuMicroseconds);
            }
            const Rate rate = throughput(serverPath, clients, duration);
            serverRates.push_back(rate.perSecond);
            serverCpu.push_back(rate.cpuMicroseconds);
        }
        const double echoRate = halvane::bench::median(echoRates);
        const double serverRate = halvane::bench::median(serverRates);
        std::printf("  %-8d %10.0f %13.0f %7.2f %16.1f, %6.1f\n", clients, echoRate, serverRate,
                    serverRate / echoRate, halvane::bench::median(echoCpu),
                    halvane::bench::median(serverCpu));
    }

    // Memory: settle with a few answered requests first so that thread stacks
    // and allocator arenas that any request needs are already counted.
    for (int warm = 0; warm < 8; ++warm) {
        const int fd = connectTo(serverPath);
        const std::string request = eventLine(halvane::HookEvent::Kind::permissionRequest, warm);
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        runUntil([&] { return sessions->held() == 1; });
        sessions->release();
        char buffer[256];
        while (::recv(fd, buffer, sizeof buffer, 0) > 0) {
        }
        ::close(fd);
    }
    runUntil([&] { return server->activeConnections() == 0; });
    const long before = residentKiB();
    std::vector<int> open;
    for (int index = 0; index < heldRequests; ++index) {
        open.push_back(connectTo(serverPath));
        const std::string request = eventLine(halvane::HookEvent::Kind::permissionRequest, index);
        ::send(open.back(), request.data(), request.size(), MSG_NOSIGNAL);
    }
    runUntil([&] { return sessions->held() == heldRequests; });
    const long holding = residentKiB();
    std::printf("hook-server: %d permission requests held at once\n", heldRequests);
    std::printf("  resident memory %ld KiB before, %ld KiB holding: %.1f KiB per held request\n",
                before, holding, static_cast<double>(holding - before) / heldRequests);
    sessions->release();
    for (const int fd : open) {
        ::close(fd);
    }
    runUntil([&] { return server->activeConnections() == 0; });
    server.reset();
    ::rmdir(folder);
    return 0;
}
