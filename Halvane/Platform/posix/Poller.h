#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace halvane {

// Readiness of many descriptors, waited for on one thread (epoll), and a
// wake-up that any thread may send to that thread (an eventfd). Each watched
// descriptor carries a token of the caller's choosing; readiness is
// level-triggered.
class Poller final {
public:
    struct Ready {
        std::uint64_t token = 0;
        bool readable = false;
        // The peer closed its end entirely (not merely its writing half), or
        // the descriptor failed.
        bool hungUp = false;
    };

    Poller();
    ~Poller();
    Poller(const Poller&) = delete;
    Poller& operator=(const Poller&) = delete;

    // 0 when the poller works; the errno of its set-up otherwise.
    int error() const { return m_error; }

    // With readable false only a hang-up is reported. Return 0 or an errno.
    int add(int fd, std::uint64_t token, bool readable);
    int change(int fd, std::uint64_t token, bool readable);
    // Before the descriptor is closed.
    void remove(int fd);

    // Waits until something is ready, a wake-up arrives or timeout passes
    // (none: no limit). woken tells whether wake() was called since the last
    // wait; the wake-ups are consumed.
    std::vector<Ready> wait(std::optional<std::chrono::milliseconds> timeout, bool& woken);

    // Thread-safe; several wake-ups before the next wait count as one.
    void wake();

private:
    int m_epoll = -1;
    int m_wakeFd = -1;
    int m_error = 0;
};

}  // namespace halvane
