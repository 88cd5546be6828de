#include "Framing.h"

#include <sys/socket.h>

#include <cerrno>

namespace halvane {

ssize_t writeMessage(int fd, const std::string& encoded) {
    std::string buffer;
    buffer.reserve(encoded.size() + 1);
    buffer.append(encoded);
    buffer.push_back('\n');
    // A peer that went away must end the write with EPIPE, not kill us.
    return ::send(fd, buffer.data(), buffer.size(), MSG_NOSIGNAL);
}

std::string readMessage(int fd) {
    std::string message;
    for (;;) {
        char byte = 0;
        const ssize_t received = ::recv(fd, &byte, 1, 0);
        if (received == -1 && errno == EINTR) {
            continue;
        }
        if (received != 1 || byte == '\n') {
            return message;
        }
        message.push_back(byte);
    }
}

}  // namespace halvane
