#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

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

}  // namespace

int relayMain(int argc, char** argv, const RelayOptions& options) {
    if (const auto sessionId = injectDaemonSessionId(argc, argv)) {
        return runInjectorDaemon(*sessionId, relayPidArgument(argc, argv));
    }
    const ProcfsProcessTable processes;
    const RelayContext context{processes, static_cast<std::int32_t>(::getppid()),
                               std::getenv("TERM_PROGRAM"), std::getenv("ITERM_SESSION_ID")};
    const RelayOutput output = runRelay(readAll(STDIN_FILENO), context, options);
    writeAll(STDOUT_FILENO, output.standardOutput);
    return output.exitStatus;
}

}  // namespace halvane
