#include "Halvane/Platform/posix/Poller.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace halvane {

namespace {

// The wake-up descriptor's token: tokens the caller chooses never reach it.
constexpr std::uint64_t wakeToken = UINT64_MAX;
constexpr int batch = 128;

std::uint32_t interest(bool readable) {
    // EPOLLHUP and EPOLLERR are always reported. EPOLLRDHUP is left out on
    // purpose: a client that only shut down its writing half still reads.
    return readable ? static_cast<std::uint32_t>(EPOLLIN) : 0u;
}

}  // namespace

Poller::Poller() {
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_epoll < 0 || m_wakeFd < 0) {
        m_error = errno;
        return;
    }
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = wakeToken;
    if (::epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_wakeFd, &event) != 0) {
        m_error = errno;
    }
}

Poller::~Poller() {
    if (m_wakeFd >= 0) {
        ::close(m_wakeFd);
    }
    if (m_epoll >= 0) {
        ::close(m_epoll);
    }
}

int Poller::add(int fd, std::uint64_t token, bool readable) {
    epoll_event event{};
    event.events = interest(readable);
    event.data.u64 = token;
    return ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event) == 0 ? 0 : errno;
}

int Poller::change(int fd, std::uint64_t token, bool readable) {
    epoll_event event{};
    event.events = interest(readable);
    event.data.u64 = token;
    return ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, fd, &event) == 0 ? 0 : errno;
}

void Poller::remove(int fd) {
    ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
}

std::vector<Poller::Ready> Poller::wait(std::optional<std::chrono::milliseconds> timeout,
                                        bool& woken) {
    woken = false;
    int limit = -1;
    if (timeout) {
        limit = static_cast<int>(std::min<std::chrono::milliseconds::rep>(
            std::max<std::chrono::milliseconds::rep>(timeout->count(), 0), INT_MAX));
    }
    epoll_event events[batch];
    const int count = ::epoll_wait(m_epoll, events, batch, limit);
    std::vector<Ready> ready;
    for (int index = 0; index < count; ++index) {
        const epoll_event& event = events[index];
        if (event.data.u64 == wakeToken) {
            std::uint64_t wakes = 0;
            [[maybe_unused]] const ssize_t read = ::read(m_wakeFd, &wakes, sizeof wakes);
            woken = true;
            continue;
        }
        ready.push_back({event.data.u64, (event.events & EPOLLIN) != 0,
                         (event.events & (EPOLLHUP | EPOLLERR)) != 0});
    }
    return ready;
}

void Poller::wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
}

}  // namespace halvane
