#include "Halvane/Platform/posix/Log.h"

#include <syslog.h>
#include <unistd.h>

#include <time.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <string>

namespace halvane::log {

namespace {

void writeLine(std::string_view line) {
    std::string buffer;
    buffer.reserve(line.size() + 1);
    buffer.append(line);
    buffer.push_back('\n');
    std::string_view rest = buffer;
    while (!rest.empty()) {
        const ssize_t written = ::write(STDERR_FILENO, rest.data(), rest.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Without a system logger listening, glibc's syslog() retries its socket on
// every line under a process-wide lock, which serialises the hook server's
// threads. Look for the logger at most once a second instead.
bool systemLoggerPresent() {
    static std::atomic<std::int64_t> checkedAt{-1};
    static std::atomic<bool> present{false};
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    const std::int64_t second = now.tv_sec;
    if (checkedAt.exchange(second) != second) {
        present = ::access("/dev/log", W_OK) == 0;
    }
    return present;
}

void toSystemLog(int priority, std::string_view line) {
    if (systemLoggerPresent()) {
        static const bool opened = [] {
            ::openlog("halvane", LOG_NDELAY, LOG_USER);
            return true;
        }();
        (void)opened;
        const std::string text(line);
        ::syslog(priority, "%s", text.c_str());
    }
    writeLine(line);
}

}  // namespace

void system(std::string_view line) {
    toSystemLog(LOG_NOTICE, line);
}

void debug(std::string_view line) {
    toSystemLog(LOG_DEBUG, line);
}

void error(std::string_view line) {
    writeLine(line);
}

}  // namespace halvane::log
