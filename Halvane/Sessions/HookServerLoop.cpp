#include "Halvane/Sessions/HookServerLoop.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QObject>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Platform/posix/ProcessResources.h"
#include "Halvane/Platform/posix/UnixSocket.h"
#include "HalvaneProtocol/Framing.h"

namespace halvane {

namespace {

// The listening socket's token; connections count up from 1.
constexpr std::uint64_t listenerToken = 0;
constexpr std::size_t readChunk = 64 * 1024;
// Bytes taken from one connection before the others get their turn.
constexpr std::size_t readPerTurn = 1u << 20;
constexpr int acceptsPerTurn = 64;
// Freed request buffers this big are worth handing back to the system.
constexpr std::size_t releaseThreshold = 4u << 20;

std::string fdText(int fd) {
    return "fd=" + std::to_string(fd);
}

long long millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

}  // namespace

void HookServerShared::post(std::uint64_t connection, const HookDecision& decision) {
    {
        std::lock_guard lock(m_mutex);
        m_answers.emplace_back(connection, decision);
    }
    poller.wake();
}

std::vector<std::pair<std::uint64_t, HookDecision>> HookServerShared::takeAnswers() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_answers, {});
}

HookServerLoop::HookServerLoop(std::shared_ptr<HookServerShared> shared, int serverFD,
                               HookServerLimits limits, std::weak_ptr<HookEventHandler> sessions,
                               QObject* mainThread)
    : m_shared(std::move(shared)),
      m_serverFD(serverFD),
      m_limits(limits),
      m_sessions(std::move(sessions)),
      m_mainThread(mainThread),
      m_buffer(readChunk) {}

void HookServerLoop::run() {
    log::debug("Halvane: acceptLoop started, serverFD=" + std::to_string(m_serverFD));
    if (const int error = m_shared->poller.add(m_serverFD, listenerToken, true); error != 0) {
        log::system("Halvane: cannot watch the hook socket: " + std::string(std::strerror(error)));
        return;
    }
    while (!m_shared->stopping) {
        bool woken = false;
        const auto ready = m_shared->poller.wait(untilNextDeadline(Clock::now()), woken);
        for (const Poller::Ready& event : ready) {
            if (event.token == listenerToken) {
                acceptAll();
                continue;
            }
            const auto connection = m_connections.find(event.token);
            if (connection == m_connections.end()) {
                continue;  // closed earlier in this turn
            }
            if (!connection->second.waiting) {
                readFrom(connection);
            } else if (event.hungUp) {
                withdraw(connection);
            }
        }
        enforceHeldBytes();
        if (woken) {
            deliverAnswers();
        }
        expire(Clock::now());
    }
    // Shutting down: nobody will answer these any more.
    while (!m_connections.empty()) {
        const auto connection = m_connections.begin();
        if (connection->second.waiting) {
            reply(connection, HookDecision{HookDecision::Decision::passthrough});
        } else {
            close(connection);
        }
    }
    m_shared->poller.remove(m_serverFD);
}

void HookServerLoop::acceptAll() {
    for (int turn = 0; turn < acceptsPerTurn; ++turn) {
        const int fd = ::accept4(m_serverFD, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) {
            log::debug("Halvane: accept returned " + fdText(fd) + " errno=0");
            admit(fd);
            continue;
        }
        const int error = errno;
        if (error == EAGAIN || error == EWOULDBLOCK) {
            return;
        }
        if (error == EINTR || error == ECONNABORTED) {
            continue;
        }
        log::system("Halvane: accept returned fd=-1 errno=" + std::to_string(error));
        if (error != EMFILE && error != ENFILE) {
            return;
        }
        // Out of descriptors: an unfinished request gives its own up, or new
        // connections wait in the backlog until one closes.
        if (!makeRoom("no descriptor left for a new one")) {
            m_shared->poller.change(m_serverFD, listenerToken, false);
            m_acceptPaused = true;
            return;
        }
    }
}

void HookServerLoop::admit(int fd) {
    // The socket may sit where other local users can reach it; only our own
    // user may ask us anything. Close before reading a byte. Each refusal is
    // logged before the close: once the client sees its connection end, the
    // line is there, and the fd number in it is not yet anybody else's.
    const std::optional<uid_t> peer = unix_socket::peerUid(fd);
    if (!peer || *peer != ::geteuid()) {
        log::system("Halvane: closed connection " + fdText(fd) + " from uid=" +
                    (peer ? std::to_string(*peer) : std::string("unknown")) + ", not this user");
        ::close(fd);
        return;
    }
    if (m_connections.size() >= m_limits.maxConnections &&
        !makeRoom("to make room for a new one")) {
        log::system("Halvane: closed connection " + fdText(fd) + ", already serving " +
                    std::to_string(m_connections.size()) + " connections");
        ::close(fd);
        return;
    }
    const std::uint64_t id = m_nextId++;
    if (const int error = m_shared->poller.add(fd, id, true); error != 0) {
        log::system("Halvane: closed connection " + fdText(fd) +
                    ", cannot watch it: " + std::strerror(error));
        ::close(fd);
        return;
    }
    Connection connection;
    connection.fd = fd;
    connection.accepted = Clock::now();
    m_connections.emplace(id, std::move(connection));
    ++m_shared->active;
}

void HookServerLoop::readFrom(Connections::iterator connection) {
    Connection& client = connection->second;
    for (std::size_t taken = 0; taken < readPerTurn;) {
        const ssize_t count = ::recv(client.fd, m_buffer.data(), m_buffer.size(), MSG_DONTWAIT);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        }
        if (count <= 0) {
            // End of stream or a failure: what came so far is the request.
            complete(connection);
            return;
        }
        const auto size = static_cast<std::size_t>(count);
        const auto* lineFeed = static_cast<const char*>(std::memchr(m_buffer.data(), '\n', size));
        const std::size_t kept =
            lineFeed != nullptr ? static_cast<std::size_t>(lineFeed - m_buffer.data()) : size;
        if (client.request.size() + kept > m_limits.maxRequestBytes) {
            log::system("Halvane: closed connection " + fdText(client.fd) +
                        ", request longer than " + std::to_string(m_limits.maxRequestBytes) +
                        " bytes");
            close(connection);
            return;
        }
        client.request.append(m_buffer.data(), kept);
        m_heldBytes += kept;
        m_heldPeak = std::max(m_heldPeak, m_heldBytes);
        // Whatever follows the line feed is never read.
        if (lineFeed != nullptr) {
            complete(connection);
            return;
        }
        taken += size;
    }
}

void HookServerLoop::complete(Connections::iterator connection) {
    const std::uint64_t id = connection->first;
    Connection& client = connection->second;
    m_heldBytes -= client.request.size();
    log::debug("Halvane: received " + std::to_string(client.request.size()) + " bytes");
    DecodeResult<HookEvent> decoded = HookEvent::decode(client.request);
    std::string().swap(client.request);
    if (!decoded) {
        log::system("Halvane: decode error: " + decoded.error());
        close(connection);
        return;
    }
    log::debug(std::string("Halvane: event kind=") + std::string(wireName(decoded->kind)) +
               " session=" + decoded->sessionId);

    client.waiting = true;
    const auto wait = decoded->kind == HookEvent::Kind::permissionRequest
                          ? m_limits.permissionRequestWait
                          : std::optional(m_limits.decisionWait);
    if (wait) {
        client.answerBy = Clock::now() + *wait;
    }
    m_shared->poller.change(client.fd, id, false);
    client.settled = std::make_shared<bool>(false);
    client.event = std::make_shared<const HookEvent>(std::move(decoded.value()));
    releaseMemoryIfIdle();

    // The model lives on the main thread. The hop holds the model weakly: an
    // answer that comes after the server stopped waiting goes nowhere.
    QMetaObject::invokeMethod(
        m_mainThread,
        [sessions = m_sessions, event = client.event, settled = client.settled,
         shared = std::weak_ptr<HookServerShared>(m_shared), id] {
            if (const auto model = sessions.lock()) {
                model->handle(*event, [settled, shared, id](const HookDecision& decision) {
                    if (*settled) {
                        return;
                    }
                    *settled = true;
                    if (const auto server = shared.lock()) {
                        server->post(id, decision);
                    }
                });
            }
        },
        Qt::QueuedConnection);
}

void HookServerLoop::withdraw(Connections::iterator connection) {
    const Connection& client = connection->second;
    log::system("Halvane: client of " + fdText(client.fd) +
                " hung up before its answer (kind=" + std::string(wireName(client.event->kind)) +
                " session=" + client.event->sessionId + ")");
    // Queued behind the hop that handed the event over, so the model always
    // hears of an event before its withdrawal, and never after its answer.
    QMetaObject::invokeMethod(
        m_mainThread,
        [sessions = m_sessions, event = client.event, settled = client.settled] {
            if (*settled) {
                return;
            }
            *settled = true;
            if (const auto model = sessions.lock()) {
                model->withdraw(*event);
            }
        },
        Qt::QueuedConnection);
    close(connection);
}

void HookServerLoop::deliverAnswers() {
    for (const auto& [id, decision] : m_shared->takeAnswers()) {
        const auto connection = m_connections.find(id);
        if (connection != m_connections.end() && connection->second.waiting) {
            reply(connection, decision);
        }
    }
}

void HookServerLoop::expire(Clock::time_point now) {
    for (auto connection = m_connections.begin(); connection != m_connections.end();) {
        const auto current = connection++;
        const Connection& client = current->second;
        if (!client.waiting && now >= client.accepted + m_limits.requestReadTimeout) {
            complete(current);
        } else if (client.waiting && client.answerBy && now >= *client.answerBy) {
            reply(current, HookDecision{HookDecision::Decision::passthrough});
        }
    }
}

std::optional<std::chrono::milliseconds> HookServerLoop::untilNextDeadline(
    Clock::time_point now) const {
    std::optional<Clock::time_point> next;
    for (const auto& [id, client] : m_connections) {
        const std::optional<Clock::time_point> deadline =
            client.waiting ? client.answerBy
                           : std::optional(client.accepted + m_limits.requestReadTimeout);
        if (deadline && (!next || *deadline < *next)) {
            next = deadline;
        }
    }
    if (!next) {
        return std::nullopt;
    }
    return std::max(std::chrono::ceil<std::chrono::milliseconds>(*next - now),
                    std::chrono::milliseconds(0));
}

bool HookServerLoop::makeRoom(const std::string& because) {
    const auto oldest = std::find_if(m_connections.begin(), m_connections.end(),
                                     [](const auto& entry) { return !entry.second.waiting; });
    if (oldest == m_connections.end()) {
        return false;
    }
    log::system("Halvane: closed connection " + fdText(oldest->second.fd) +
                ", request unfinished after " +
                std::to_string(millisecondsSince(oldest->second.accepted)) + " ms, " + because);
    close(oldest);
    return true;
}

void HookServerLoop::enforceHeldBytes() {
    while (m_heldBytes > m_limits.maxHeldBytes) {
        const auto biggest = std::max_element(
            m_connections.begin(), m_connections.end(), [](const auto& left, const auto& right) {
                return left.second.request.size() < right.second.request.size();
            });
        log::system("Halvane: closed connection " + fdText(biggest->second.fd) + ", its " +
                    std::to_string(biggest->second.request.size()) +
                    " unfinished bytes put requests past " + std::to_string(m_limits.maxHeldBytes) +
                    " bytes held");
        close(biggest);
    }
}

void HookServerLoop::reply(Connections::iterator connection, const HookDecision& decision) {
    // One short line into an empty send buffer: this never blocks, even for
    // a client that does not read.
    writeMessage(connection->second.fd, decision.encode());
    close(connection);
}

void HookServerLoop::close(Connections::iterator connection) {
    Connection& client = connection->second;
    m_heldBytes -= client.request.size();
    m_shared->poller.remove(client.fd);
    ::close(client.fd);
    m_connections.erase(connection);
    --m_shared->active;
    if (m_acceptPaused) {
        m_acceptPaused = false;
        m_shared->poller.change(m_serverFD, listenerToken, true);
    }
    releaseMemoryIfIdle();
}

void HookServerLoop::releaseMemoryIfIdle() {
    if (m_heldBytes == 0 && m_heldPeak >= releaseThreshold) {
        m_heldPeak = 0;
        process_resources::releaseFreeMemory();
    }
}

}  // namespace halvane
