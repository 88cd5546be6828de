#pragma once

// Waiting for another process to get somewhere, without the event loop: the
// limit only bounds a failing test, so it is generous.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>

namespace halvane::test {

// Checks condition every `every` until it holds or limit passes; true when
// it held.
inline bool pollUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(20),
                      std::chrono::milliseconds every = std::chrono::milliseconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(every);
    }
    return condition();
}

// Polls read() until its value has stayed the same for `quiet` (an animation
// has come to rest); true when that happened within limit.
template <typename Read>
bool pollUntilSteady(Read read, std::chrono::milliseconds quiet = std::chrono::milliseconds(300),
                     std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    auto last = read();
    auto since = std::chrono::steady_clock::now();
    return pollUntil(
        [&] {
            auto value = read();
            if (value != last) {
                last = std::move(value);
                since = std::chrono::steady_clock::now();
            }
            return std::chrono::steady_clock::now() - since >= quiet;
        },
        limit);
}

// Whether something accepts connections on the Unix socket at path.
inline bool accepts(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    const bool connected =
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

}  // namespace halvane::test
