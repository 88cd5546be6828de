#include "Halvane/Sessions/RequestReader.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace halvane {

std::string readRequestLine(int fd, std::chrono::milliseconds limit) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + limit;
    std::string message;
    char buffer[4096];
    // The relay writes its whole line right after connecting, so the bytes
    // are usually there already: look before waiting.
    bool wait = false;
    for (;;) {
        if (wait) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                return message;
            }
            pollfd ready{fd, POLLIN, 0};
            const int polled = ::poll(&ready, 1, static_cast<int>(left));
            if (polled < 0 && errno == EINTR) {
                continue;
            }
            if (polled <= 0) {
                return message;
            }
        }
        // Look first, then take exactly up to the line feed.
        const ssize_t seen = ::recv(fd, buffer, sizeof buffer, MSG_PEEK | MSG_DONTWAIT);
        if (seen < 0 && (errno == EINTR || errno == EAGAIN)) {
            wait = errno == EAGAIN;
            continue;
        }
        if (seen <= 0) {
            return message;
        }
        const auto* lineFeed =
            static_cast<const char*>(std::memchr(buffer, '\n', static_cast<std::size_t>(seen)));
        const std::size_t wanted = lineFeed != nullptr
                                       ? static_cast<std::size_t>(lineFeed - buffer) + 1
                                       : static_cast<std::size_t>(seen);
        const ssize_t taken = ::recv(fd, buffer, wanted, MSG_DONTWAIT);
        if (taken <= 0) {
            return message;
        }
        if (lineFeed != nullptr && static_cast<std::size_t>(taken) == wanted) {
            message.append(buffer, wanted - 1);
            return message;
        }
        message.append(buffer, static_cast<std::size_t>(taken));
    }
}

}  // namespace halvane
