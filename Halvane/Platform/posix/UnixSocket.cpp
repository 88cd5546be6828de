#include "Halvane/Platform/posix/UnixSocket.h"

#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace halvane::unix_socket {

sockaddr_un address(std::string_view path) {
    sockaddr_un result;
    std::memset(&result, 0, sizeof result);
    result.sun_family = AF_UNIX;
    const std::size_t length = std::min(path.size(), sizeof(result.sun_path) - 1);
    std::memcpy(result.sun_path, path.data(), length);
    return result;
}

bool fitsAddress(std::string_view path) {
    return path.size() < sizeof(sockaddr_un::sun_path);
}

std::optional<uid_t> peerUid(int fd) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 ||
        length != sizeof credentials) {
        return std::nullopt;
    }
    return credentials.uid;
}

bool ownListenerAt(std::string_view path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const sockaddr_un target = address(path);
    bool listening = fitsAddress(path) &&
                     ::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0;
    if (listening) {
        const auto owner = peerUid(fd);
        listening = owner && *owner == ::geteuid();
    }
    ::close(fd);
    return listening;
}

bool setReceiveTimeout(int fd, double seconds) {
    timeval timeout{};
    timeout.tv_sec = static_cast<time_t>(std::floor(seconds));
    timeout.tv_usec = static_cast<suseconds_t>((seconds - std::floor(seconds)) * 1e6);
    return ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) == 0;
}

}  // namespace halvane::unix_socket
