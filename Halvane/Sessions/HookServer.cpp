#include "Halvane/Sessions/HookServer.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QObject>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <system_error>
#include <utility>

#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Platform/posix/UnixSocket.h"
#include "Halvane/Sessions/DecisionHolder.h"
#include "Halvane/Sessions/RequestReader.h"
#include "HalvaneProtocol/Framing.h"

namespace halvane {

namespace {

constexpr int listenBacklog = 16;

std::string errorText(int code) {
    return std::generic_category().message(code);
}

HookServerError failure(int code, const std::string& step, int cause) {
    return {code, errorText(code) + " (" + step + ": " + errorText(cause) + ")"};
}

}  // namespace

// What the accept thread and the connection workers share with the server.
// Workers own it jointly, so it outlives the server while a worker unwinds;
// it holds nothing that must be destroyed on the main thread.
struct HookServer::Shared {
    HookServerLimits limits;
    std::weak_ptr<HookEventHandler> sessions;
    // Valid while any connection is registered: the server deletes it only
    // after the last worker has let go.
    QObject* mainThread = nullptr;
    // Set before the listening socket is shut down to end the accept loop.
    std::atomic<bool> stopping{false};

    std::mutex mutex;
    std::condition_variable allReleased;
    // Connections being served: descriptor → its decision holder.
    std::map<int, std::shared_ptr<DecisionHolder>> connections;
};

HookServer::HookServer(std::shared_ptr<HookEventHandler> sessions, std::string path,
                       HookServerLimits limits)
    : m_sessions(std::move(sessions)),
      m_path(std::move(path)),
      m_mainThread(std::make_unique<QObject>()),
      m_shared(std::make_shared<Shared>()) {
    m_shared->limits = limits;
    m_shared->sessions = m_sessions;
    m_shared->mainThread = m_mainThread.get();
}

HookServer::~HookServer() {
    if (m_acceptThread.joinable()) {
        // A blocked accept returns once the listening socket is shut down.
        m_shared->stopping = true;
        ::shutdown(m_serverFD, SHUT_RD);
        m_acceptThread.join();
    }
    {
        // Wake every worker: a blocked read sees the end of the stream and a
        // request waiting for the model is answered passthrough now.
        std::unique_lock lock(m_shared->mutex);
        for (const auto& [fd, holder] : m_shared->connections) {
            ::shutdown(fd, SHUT_RD);
            holder->cancel();
        }
        m_shared->allReleased.wait(lock, [this] { return m_shared->connections.empty(); });
    }
    if (m_serverFD >= 0) {
        ::close(m_serverFD);
        removeOwnSocketFile();
    }
    m_mainThread.reset();
}

std::optional<HookServerError> HookServer::start() {
    if (m_serverFD >= 0) {
        return HookServerError{EALREADY, errorText(EALREADY) + " (listening on " + m_path + ")"};
    }
    ::unlink(m_path.c_str());

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return failure(EIO, "socket", errno);
    }
    const sockaddr_un address = unix_socket::address(m_path);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int cause = errno;
        ::close(fd);
        return failure(EADDRINUSE, "bind " + m_path, cause);
    }
    struct stat bound {};
    if (::stat(m_path.c_str(), &bound) == 0) {
        m_socketDevice = bound.st_dev;
        m_socketInode = bound.st_ino;
    }
    if (::listen(fd, listenBacklog) != 0) {
        const int cause = errno;
        ::close(fd);
        removeOwnSocketFile();
        return failure(EIO, "listen", cause);
    }
    m_serverFD = fd;
    log::system("Halvane: hook server listening on " + m_path);

    try {
        m_acceptThread = std::thread(&HookServer::acceptLoop, m_shared, fd, std::ref(m_workers));
    } catch (const std::system_error& error) {
        m_serverFD = -1;
        ::close(fd);
        removeOwnSocketFile();
        return failure(EIO, "accept thread", error.code().value());
    }
    return std::nullopt;
}

std::size_t HookServer::activeConnections() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->connections.size();
}

void HookServer::acceptLoop(const std::shared_ptr<Shared>& shared, int serverFD,
                            WorkerThreads& workers) {
    log::system("Halvane: acceptLoop started, serverFD=" + std::to_string(serverFD));
    for (;;) {
        errno = 0;
        const int fd = ::accept4(serverFD, nullptr, nullptr, SOCK_CLOEXEC);
        const int acceptErrno = errno;
        if (shared->stopping) {
            if (fd >= 0) {
                ::close(fd);
            }
            return;
        }
        log::system("Halvane: accept returned fd=" + std::to_string(fd) +
                    " errno=" + std::to_string(acceptErrno));
        if (fd >= 0) {
            admit(shared, fd, workers);
        }
    }
}

void HookServer::admit(const std::shared_ptr<Shared>& shared, int fd, WorkerThreads& workers) {
    // The socket lives in /tmp where any local user can reach it; only our
    // own user may ask us anything. Close before reading a byte.
    const std::optional<uid_t> peer = unix_socket::peerUid(fd);
    // Each refusal is logged before the close: once the client sees its
    // connection end, the line is there, and the fd number in it is not yet
    // anybody else's.
    if (!peer || *peer != ::geteuid()) {
        log::system("Halvane: closed connection fd=" + std::to_string(fd) + " from uid=" +
                    (peer ? std::to_string(*peer) : std::string("unknown")) + ", not this user");
        ::close(fd);
        return;
    }

    auto holder = std::make_shared<DecisionHolder>();
    std::size_t served = 0;
    {
        std::lock_guard lock(shared->mutex);
        served = shared->connections.size();
        if (served < shared->limits.maxConnections) {
            shared->connections.emplace(fd, holder);
        }
    }
    if (served >= shared->limits.maxConnections) {
        log::system("Halvane: closed connection fd=" + std::to_string(fd) + ", already serving " +
                    std::to_string(served) + " connections");
        ::close(fd);
        return;
    }

    const int error = workers.run([shared, fd, holder] { serveConnection(shared, fd, holder); });
    if (error != 0) {
        log::system("Halvane: closed connection fd=" + std::to_string(fd) +
                    ", no thread to serve it: " + errorText(error));
        release(*shared, fd);
    }
}

void HookServer::serveConnection(const std::shared_ptr<Shared>& shared, int fd,
                                 const std::shared_ptr<DecisionHolder>& holder) {
    const std::string request = readRequestLine(fd, shared->limits.requestReadTimeout);
    log::system("Halvane: received " + std::to_string(request.size()) + " bytes");
    DecodeResult<HookEvent> decoded = HookEvent::decode(request);
    if (!decoded) {
        log::system("Halvane: decode error: " + decoded.error());
        release(*shared, fd);
        return;
    }
    log::system(std::string("Halvane: event kind=") + std::string(rawValue(decoded->kind)) +
                " session=" + decoded->sessionId);

    // Claude Code waits for its own request as long as its dialog is up, so
    // the card does too; any other event gets the app's time limit.
    const bool isClaudeCodesOwnRequest = decoded->kind == HookEvent::Kind::permissionRequest;
    HookEvent held = isClaudeCodesOwnRequest ? decoded.value() : HookEvent{};

    // The model lives on the main thread. The hop holds the model weakly and
    // the holder strongly: an answer that comes after this worker stopped
    // waiting lands in a holder nobody reads, which is harmless.
    QMetaObject::invokeMethod(
        shared->mainThread,
        [sessions = shared->sessions, event = std::move(decoded.value()), holder] {
            if (const auto model = sessions.lock()) {
                model->handle(event,
                              [holder](const HookDecision& decision) { holder->offer(decision); });
            }
        },
        Qt::QueuedConnection);

    HookDecision decision{HookDecision::Decision::passthrough};
    if (isClaudeCodesOwnRequest) {
        const std::optional<HookDecision> answer = awaitWhileConnected(fd, *holder);
        if (!answer) {
            // Answered in the terminal: Claude Code ended the relay.
            withdraw(*shared, std::move(held));
            release(*shared, fd);
            return;
        }
        decision = *answer;
    } else {
        decision = holder->await(shared->limits.decisionWait);
    }
    // One short line into an empty send buffer: this never blocks, even for
    // a client that does not read.
    writeMessage(fd, decision.encode());
    release(*shared, fd);
}

std::optional<HookDecision> HookServer::awaitWhileConnected(int fd, DecisionHolder& holder) {
    // Checked between short waits: the holder has nothing to wait on together
    // with the connection.
    constexpr std::chrono::milliseconds hangUpCheck{200};
    for (;;) {
        if (auto decision = holder.awaitFor(hangUpCheck)) {
            return decision;
        }
        if (unix_socket::peerClosed(fd)) {
            // Whatever is offered from now on is lost with the connection.
            (void)holder.await(std::chrono::milliseconds::zero());
            return std::nullopt;
        }
    }
}

void HookServer::withdraw(Shared& shared, HookEvent event) {
    QMetaObject::invokeMethod(
        shared.mainThread,
        [sessions = shared.sessions, event = std::move(event)] {
            if (const auto model = sessions.lock()) {
                model->withdraw(event);
            }
        },
        Qt::QueuedConnection);
}

void HookServer::release(Shared& shared, int fd) {
    // Close inside the lock: shutdown must never reach a descriptor number
    // that has been reused, and a server that saw the last release knows
    // every connection is closed.
    std::lock_guard lock(shared.mutex);
    shared.connections.erase(fd);
    ::close(fd);
    if (shared.connections.empty()) {
        shared.allReleased.notify_all();
    }
}

void HookServer::removeOwnSocketFile() const {
    // Another copy may have taken the path over since; its socket stays.
    struct stat current {};
    if (::lstat(m_path.c_str(), &current) == 0 && current.st_dev == m_socketDevice &&
        current.st_ino == m_socketInode) {
        ::unlink(m_path.c_str());
    }
}

}  // namespace halvane
