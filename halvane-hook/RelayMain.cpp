#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Platform/posix/ProcfsProcessTable.h"
#include "InjectorDaemon.h"
#include "RelayMain.h"

namespace halvane {

namespace {

std::string readAll(int fd) {
    std::string data;
    char buffer[16384];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return data;
        }
        data.append(buffer, static_cast<std::size_t>(count));
    }
}

void writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t count = ::write(fd, data.data() + done, data.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return;
        }
        done += static_cast<std::size_t>(count);
    }
}

std::optional<pid_t> relayPidArgument(int argc, char** argv) {
    if (argc < 4) {
        return std::nullopt;
    }
    char* end = nullptr;
    const long pid = std::strtol(argv[3], &end, 10);
    if (end == argv[3] || *end != '\0' || pid < 2) {
        return std::nullopt;
    }
    return static_cast<pid_t>(pid);
}

constexpr const char* kUsage =
    "Usage: halvane-hook < hook-event.json\n"
    "Claude Code starts this relay for each hook event Halvane installed: it reads\n"
    "the event's JSON on standard input, hands it to the Halvane app and prints\n"
    "Claude Code's answer ({} when the app is not running).\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  --version      show the version and exit\n";

}  // namespace

int relayMain(int argc, char** argv, const RelayOptions& options) {
    if (const auto sessionId = injectDaemonSessionId(argc, argv)) {
        return runInjectorDaemon(*sessionId, relayPidArgument(argc, argv));
    }
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "-h" || first == "--help") {
        writeAll(STDOUT_FILENO, kUsage);
        return 0;
    }
    if (first == "--version") {
        writeAll(STDOUT_FILENO, std::string("halvane-hook ") + HALVANE_VERSION + "\n");
        return 0;
    }
    if (argc == 1 && ::isatty(STDIN_FILENO) == 1) {
        // A person at a terminal, not Claude Code: waiting for JSON would just hang.
        log::error(std::string_view(kUsage).substr(0, std::string_view(kUsage).size() - 1));
        return 2;
    }
    const ProcfsProcessTable processes;
    const RelayContext context{processes, static_cast<std::int32_t>(::getppid()),
                               std::getenv("TERM_PROGRAM"), std::getenv("ITERM_SESSION_ID")};
    const RelayOutput output = runRelay(readAll(STDIN_FILENO), context, options);
    writeAll(STDOUT_FILENO, output.standardOutput);
    return output.exitStatus;
}

}  // namespace halvane
