#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QThread>
#include <cerrno>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "Halvane/Platform/posix/UnixSocket.h"
#include "Halvane/Sessions/HookEventHandler.h"
#include "QtTestEnvironment.h"

namespace halvane::test {

// Plays the session model: notifications and stops are answered passthrough
// at once, permission requests and calls about to run are held for the test
// to answer.
class FakeSessions final : public HookEventHandler {
public:
    void handle(const HookEvent& event, Respond respond) override {
        events.push_back(event);
        onMainThread.push_back(QThread::currentThread() == qtApplication().thread());
        if (event.kind == HookEvent::Kind::permissionRequest ||
            event.kind == HookEvent::Kind::preToolUse) {
            held.push_back(std::move(respond));
        } else {
            respond(HookDecision{HookDecision::Decision::passthrough});
        }
    }

    void withdraw(const HookEvent& event) override {
        withdrawn.push_back(event);
        onMainThread.push_back(QThread::currentThread() == qtApplication().thread());
    }

    std::vector<HookEvent> events;
    std::vector<bool> onMainThread;
    std::vector<Respond> held;
    // The events whose clients went away unanswered.
    std::vector<HookEvent> withdrawn;
};

// How one client connection ended, seen from the client.
struct ClientReply {
    std::string bytes;
    // 0 when the server closed the connection; the errno otherwise.
    int error = 0;
};

inline int connectTo(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = unix_socket::address(path);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

// Reads until the server closes, an error, or a limit that only ends a test
// that is failing anyway.
inline ClientReply readToEnd(int fd) {
    unix_socket::setReceiveTimeout(fd, 30);
    ClientReply reply;
    for (;;) {
        char buffer[512];
        const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
        if (count > 0) {
            reply.bytes.append(buffer, static_cast<std::size_t>(count));
            continue;
        }
        reply.error = count == 0 ? 0 : errno;
        return reply;
    }
}

// One request from a helper thread, so the main thread stays free to run the
// model. With closeWriteSide the client half-closes after sending.
inline std::future<ClientReply> exchange(const std::string& path, std::string request,
                                         bool closeWriteSide = false) {
    return std::async(std::launch::async, [path, request = std::move(request), closeWriteSide] {
        const int fd = connectTo(path);
        if (fd < 0) {
            return ClientReply{"", errno};
        }
        if (!request.empty()) {
            ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        }
        if (closeWriteSide) {
            ::shutdown(fd, SHUT_WR);
        }
        ClientReply reply = readToEnd(fd);
        ::close(fd);
        return reply;
    });
}

// Runs the main thread until the exchange has finished.
inline ClientReply await(std::future<ClientReply>& reply) {
    if (!waitUntil(
            [&] { return reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            std::chrono::seconds(40))) {
        return ClientReply{"", ETIMEDOUT};
    }
    return reply.get();
}

inline bool isReady(std::future<ClientReply>& reply) {
    return reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

// A connection the server has closed reads as end of stream at once.
inline bool closedByServer(int fd) {
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, 0) != 1) {
        return false;
    }
    char byte = 0;
    return ::recv(fd, &byte, 1, MSG_DONTWAIT | MSG_PEEK) == 0;
}

inline std::string notificationLine(const std::string& sessionId = "s-note") {
    HookEvent event;
    event.kind = HookEvent::Kind::notification;
    event.sessionId = sessionId;
    event.cwd = "/work/app";
    event.message = "Claude needs your permission";
    event.timestamp = 7.5e8;
    return event.encode() + "\n";
}

// Claude Code's own permission request, or (preToolUse) a call about to run.
inline std::string permissionLine(const std::string& sessionId = "s-perm",
                                  HookEvent::Kind kind = HookEvent::Kind::permissionRequest) {
    HookEvent event;
    event.kind = kind;
    event.sessionId = sessionId;
    event.cwd = "/work/app";
    event.tool = "Bash";
    event.toolInput = R"({"command":"rm -rf build\nmake"})";
    event.timestamp = 7.5e8;
    event.claudePid = 4242;
    return event.encode() + "\n";
}

inline const std::string passthroughLine = "{\"decision\":\"passthrough\"}\n";

}  // namespace halvane::test
