// HookServer with the product's limits under two kinds of abuse: many
// connections that never send anything (how long real events wait, how many
// are refused), and many connections each sending a huge line without a line
// feed (peak and final resident memory against the idle server's).
// Arguments: silent connections (1000), probes (65), flood connections (500),
// MiB per flood connection (10).
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
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

class PassthroughSessions final : public halvane::HookEventHandler {
public:
    void handle(const halvane::HookEvent&, Respond respond) override {
        respond(halvane::HookDecision{});
    }
};

int connectTo(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = halvane::unix_socket::address(path);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string notification(int index) {
    halvane::HookEvent event;
    event.kind = halvane::HookEvent::Kind::notification;
    event.sessionId = "probe-" + std::to_string(index);
    event.cwd = "/home/dev/projects/halvane";
    event.message = "Claude is waiting for your input";
    event.timestamp = 7.5e8;
    return event.encode() + "\n";
}

// Milliseconds until the answer, or a negative number when the connection was
// refused or closed without one.
double probe(const std::string& path, int index) {
    const auto start = Clock::now();
    const int fd = connectTo(path);
    if (fd < 0) {
        return -1;
    }
    const std::string line = notification(index);
    ::send(fd, line.data(), line.size(), MSG_NOSIGNAL);
    halvane::unix_socket::setReceiveTimeout(fd, 30);
    std::string reply;
    char buffer[256];
    for (ssize_t count = 0; (count = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        reply.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(fd);
    if (reply.empty()) {
        return -1;
    }
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
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

// Runs the main thread's events (the model's calls) until done holds.
void runUntil(const std::atomic<bool>& done) {
    // Sleeps between events as the app's loop does; the tick only notices done.
    QTimer tick;
    tick.start(1);
    while (!done) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

// Returns the median answer time.
double silentConnections(const std::string& path, int silentCount, int probes) {
    std::vector<int> silent;
    for (int index = 0; index < silentCount; ++index) {
        silent.push_back(connectTo(path));
    }
    std::vector<double> answered;
    int refused = 0;
    std::atomic<bool> done{false};
    const auto start = Clock::now();
    double refusedFor = 0;
    std::thread client([&] {
        for (int index = 0; index < probes; ++index) {
            const double latency = probe(path, index);
            if (latency < 0) {
                ++refused;
                refusedFor =
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            } else {
                answered.push_back(latency);
            }
            // Real events come a while apart, not in one burst.
            std::this_thread::sleep_for(100ms);
        }
        done = true;
    });
    runUntil(done);
    client.join();
    std::printf(
        "%d silent connections: %d of %d events refused (last refusal %.0f ms in); answered "
        "ones: median %.2f ms, slowest %.2f ms\n",
        silentCount, refused, probes, refusedFor, halvane::bench::median(answered),
        answered.empty() ? 0.0 : *std::max_element(answered.begin(), answered.end()));
    for (const int fd : silent) {
        ::close(fd);
    }
    return halvane::bench::median(answered);
}

void flood(const std::string& path, int connections, long mebibytes) {
    std::this_thread::sleep_for(200ms);
    QCoreApplication::processEvents();
    const long idle = residentKiB();
    std::atomic<long> peak{idle};
    std::atomic<bool> done{false};
    std::thread sampler([&] {
        while (!done) {
            peak = std::max(peak.load(), residentKiB());
            std::this_thread::sleep_for(5ms);
        }
    });
    std::thread client([&] {
        const std::string chunk(1 << 20, 'x');
        std::vector<int> fds;
        std::vector<long> sent(static_cast<std::size_t>(connections), 0);
        for (int index = 0; index < connections; ++index) {
            fds.push_back(connectTo(path));
        }
        const long total = mebibytes << 20;
        const auto limit = Clock::now() + 30s;
        for (bool busy = true; busy && Clock::now() < limit;) {
            busy = false;
            for (std::size_t index = 0; index < fds.size(); ++index) {
                if (fds[index] < 0 || sent[index] >= total) {
                    continue;
                }
                busy = true;
                const std::size_t want =
                    static_cast<std::size_t>(std::min<long>(total - sent[index], chunk.size()));
                const ssize_t count =
                    ::send(fds[index], chunk.data(), want, MSG_NOSIGNAL | MSG_DONTWAIT);
                if (count > 0) {
                    sent[index] += count;
                } else if (count < 0 && errno != EAGAIN) {
                    ::close(fds[index]);  // the server cut it off
                    fds[index] = -1;
                }
            }
            if (busy) {
                std::this_thread::sleep_for(100us);
            }
        }
        // Whatever the server still holds, it holds until it gives up on the
        // request or the client goes.
        for (auto& fd : fds) {
            if (fd >= 0) {
                pollfd closed{fd, POLLIN, 0};
                ::poll(&closed, 1, 10000);
                ::close(fd);
            }
        }
        done = true;
    });
    runUntil(done);
    client.join();
    sampler.join();
    std::atomic<bool> probed{false};
    double probeMs = -1;
    std::thread last([&] {
        std::this_thread::sleep_for(500ms);
        probeMs = probe(path, 999);
        probed = true;
    });
    runUntil(probed);
    last.join();
    const long after = residentKiB();
    std::printf(
        "%d connections × %ld MiB without a line feed: resident memory idle %.1f MiB, peak "
        "%.1f MiB (%.1f× idle), after %.1f MiB; a probe afterwards %s (%.2f ms)\n",
        connections, mebibytes, idle / 1024.0, peak / 1024.0,
        idle > 0 ? static_cast<double>(peak) / static_cast<double>(idle) : 0.0, after / 1024.0,
        probeMs >= 0 ? "answered" : "refused", probeMs);
}

}  // namespace

int main(int argc, char** argv) {
    const int silentCount = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int probes = argc > 2 ? std::atoi(argv[2]) : 65;
    const int floodCount = argc > 3 ? std::atoi(argv[3]) : 500;
    const long mebibytes = argc > 4 ? std::atol(argv[4]) : 10;

    // Both ends of every connection live in this process.
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);

    int qtArgc = 1;
    char name[] = "hook-server-flood";
    char* qtArgv[] = {name, nullptr};
    QCoreApplication app(qtArgc, qtArgv);
    const std::string path = "/tmp/hook-server-flood-" + std::to_string(::getpid()) + ".sock";
    halvane::HookServer server(std::make_shared<PassthroughSessions>(), path);
    if (const auto error = server.start()) {
        std::fprintf(stderr, "%s\n", error->description.c_str());
        return 1;
    }
    // The baseline: the same probes with nobody else connected.
    const double alone = silentConnections(path, 0, probes);
    const double crowded = silentConnections(path, silentCount, probes);
    std::printf("median answer beside %d silent connections / alone: %.2f\n", silentCount,
                alone > 0 ? crowded / alone : 0.0);
    flood(path, floodCount, mebibytes);
    return 0;
}
