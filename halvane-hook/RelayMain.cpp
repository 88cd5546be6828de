#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Platform/posix/ProcfsProcessTable.h"
#include "Halvane/Platform/posix/RuntimeDirectory.h"
#include "Halvane/Sessions/HooksInstaller.h"
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
    "  --socket-path  print the socket the relay connects to on this machine,\n"
    "                 creating its private folder when missing\n"
    "                 (the end of an ssh -R forward from the machine running Halvane)\n"
    "  --install-hooks  add Halvane's hooks to this machine's Claude Code settings,\n"
    "                 pointing at this relay, as the app does on its own machine\n"
    "  -h, --help     show this help and exit\n"
    "  --version      show the version and exit\n";

// An unsafe runtime folder is never used: no injector is started in it, and
// the hook socket in it is not contacted (Claude Code then asks as usual).
RelayOptions checked(RelayOptions options) {
    if (options.runtimeDirectory.empty()) {
        return options;
    }
    if (const auto problem = runtime_directory::prepare(options.runtimeDirectory, ::getuid())) {
        log::error("halvane-hook: " + *problem);
        if (options.socketPath.rfind(options.runtimeDirectory + "/", 0) == 0) {
            options.socketPath.clear();
        }
        options.runtimeDirectory.clear();
    }
    return options;
}

}  // namespace

RelayOptions userRelayOptions() {
    RelayOptions options;
    options.runtimeDirectory = runtime_directory::locate(::getuid());
    options.socketPath = runtime_directory::hookSocket(options.runtimeDirectory);
    return options;
}

int relayMain(int argc, char** argv, const RelayOptions& given) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--socket-path") {
        // Checked and created like any run's, so an ssh -R forward can bind
        // there right away.
        const RelayOptions ready = checked(given);
        if (ready.socketPath.empty()) {
            return 1;
        }
        writeAll(STDOUT_FILENO, ready.socketPath + "\n");
        return 0;
    }
    if (first == "--install-hooks") {
        // The same managed hook groups the app writes, for a machine where
        // only the relay is installed and Halvane is reached over ssh.
        const HooksResult result = HooksInstaller::installIfNeeded();
        if (result.failed()) {
            log::error("halvane-hook: " + result.text());
            return 1;
        }
        writeAll(STDOUT_FILENO, "halvane-hook: " + result.text() + "\n");
        return 0;
    }
    const RelayOptions options = checked(given);
    if (const auto sessionId = injectDaemonSessionId(argc, argv)) {
        return runInjectorDaemon(options.runtimeDirectory, *sessionId,
                                 relayPidArgument(argc, argv));
    }
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
                               std::getenv("TERM_PROGRAM")};
    const RelayOutput output = runRelay(readAll(STDIN_FILENO), context, options);
    writeAll(STDOUT_FILENO, output.standardOutput);
    return output.exitStatus;
}

}  // namespace halvane
