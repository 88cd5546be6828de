#include "Halvane/Platform/posix/Log.h"

#include <syslog.h>
#include <unistd.h>

#include <cerrno>
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

}  // namespace

void system(std::string_view line) {
    static const bool opened = [] {
        ::openlog("halvane", LOG_NDELAY, LOG_USER);
        return true;
    }();
    (void)opened;
    const std::string text(line);
    ::syslog(LOG_NOTICE, "%s", text.c_str());
    writeLine(line);
}

void error(std::string_view line) {
    writeLine(line);
}

}  // namespace halvane::log
