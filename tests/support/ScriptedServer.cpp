#include "ScriptedServer.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "HalvaneProtocol/Framing.h"

namespace halvane::test {

ScriptedServer::ScriptedServer(std::string path, Reply reply, std::string payload)
    : m_path(std::move(path)), m_reply(reply), m_payload(std::move(payload)) {
    ::unlink(m_path.c_str());
    m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, m_path.c_str(), sizeof address.sun_path - 1);
    if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_fd, 16) != 0) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_thread = std::thread([this] { serve(); });
}

ScriptedServer::~ScriptedServer() {
    m_stopping = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_path.c_str());
    }
    for (const int fd : m_openConnections) {
        ::close(fd);
    }
}

std::vector<std::string> ScriptedServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void ScriptedServer::serve() {
    while (!m_stopping) {
        pollfd listener{m_fd, POLLIN, 0};
        if (::poll(&listener, 1, 20) <= 0) {
            continue;
        }
        const int connection = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            continue;
        }
        const std::string request = readMessage(connection);
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
        }
        switch (m_reply) {
            case Reply::line:
                writeMessage(connection, m_payload);
                break;
            case Reply::raw:
                ::send(connection, m_payload.data(), m_payload.size(), MSG_NOSIGNAL);
                break;
            case Reply::closeWithoutAnswer:
                break;
            case Reply::stayOpenSilent:
                m_openConnections.push_back(connection);
                continue;
        }
        ::close(connection);
    }
}

}  // namespace halvane::test
