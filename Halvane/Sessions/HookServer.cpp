#include "Halvane/Sessions/HookServer.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QObject>
#include <cerrno>
#include <system_error>
#include <utility>

#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Platform/posix/ProcessResources.h"
#include "Halvane/Platform/posix/UnixSocket.h"
#include "Halvane/Sessions/HookServerLoop.h"

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

HookServer::HookServer(std::shared_ptr<HookEventHandler> sessions, std::string path,
                       HookServerLimits limits)
    : m_sessions(std::move(sessions)),
      m_path(std::move(path)),
      m_limits(limits),
      m_mainThread(std::make_unique<QObject>()),
      m_shared(std::make_shared<HookServerShared>()) {}

HookServer::~HookServer() {
    if (m_thread.joinable()) {
        // The loop answers every waiting request and closes every connection
        // before it returns.
        m_shared->stopping = true;
        m_shared->poller.wake();
        m_thread.join();
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
    if (m_shared->poller.error() != 0) {
        return failure(EIO, "epoll", m_shared->poller.error());
    }
    ::unlink(m_path.c_str());

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
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
    // Every open connection is a descriptor; the usual 1,024 would turn
    // clients away long before memory or the bound does.
    process_resources::raiseOpenFileLimit();
    m_serverFD = fd;
    log::system("Halvane: hook server listening on " + m_path);

    try {
        m_thread = std::thread([shared = m_shared, fd, limits = m_limits,
                                sessions = std::weak_ptr<HookEventHandler>(m_sessions),
                                mainThread = m_mainThread.get()] {
            HookServerLoop(shared, fd, limits, sessions, mainThread).run();
        });
    } catch (const std::system_error& error) {
        m_serverFD = -1;
        ::close(fd);
        removeOwnSocketFile();
        return failure(EIO, "serving thread", error.code().value());
    }
    return std::nullopt;
}

std::size_t HookServer::activeConnections() const {
    return m_shared->active;
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
