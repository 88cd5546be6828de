#include "InjectorDaemon.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "Halvane/Platform/posix/UnixSocket.h"
#include "Halvane/Terminals/KeystrokeSink.h"
#include "HalvaneProtocol/Framing.h"
#include "HalvaneProtocol/Injection.h"
#include "HalvaneProtocol/Utf8.h"

extern char** environ;

namespace halvane {

namespace {

constexpr int parentCheckSeconds = 2;
constexpr int backlog = 4;
// A writer sends its line right after connecting; one that stalls must not
// hold the daemon (and every later reply) forever.
constexpr double requestReadSeconds = 2.0;

volatile sig_atomic_t stopRequested = 0;

void requestStop(int) {
    stopRequested = 1;
}

std::string ownExecutable() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

// Past this the log starts over in a fresh file, keeping the previous one as
// "daemon.log.old": every reply adds a line, and daemons run for months.
constexpr off_t logLimitBytes = 256 * 1024;

// Each line is appended with its own open and close, since several daemons
// share the file. The folder is the user's own; still, never follow a link
// and never write into a file someone else owns.
void appendLog(const std::string& directory, const std::string& line) {
    const std::string path = daemonLogPath(directory);
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) &&
        existing.st_size >= logLimitBytes) {
        ::rename(path.c_str(), (path + ".old").c_str());
    }
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_uid == ::geteuid() && S_ISREG(info.st_mode)) {
        const std::string text = line + "\n";
        (void)!::write(fd, text.data(), text.size());
    }
    ::close(fd);
}

std::string resultList(const std::vector<int>& results) {
    std::string text = "[";
    for (std::size_t i = 0; i < results.size(); ++i) {
        text += (i == 0 ? "" : ", ") + std::to_string(results[i]);
    }
    return text + "]";
}

std::unique_ptr<MultiplexerSink> multiplexerFromEnvironment() {
    return MultiplexerSink::fromEnvironment(
        [](const char* name) -> const char* { return std::getenv(name); });
}

// Whether a daemon started from here could type at all: it needs the
// controlling terminal or a multiplexer pane. Without either there is no point
// in paying for a process start on every hook event.
bool canType() {
    const int terminal = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal >= 0) {
        ::close(terminal);
        return true;
    }
    return multiplexerFromEnvironment() != nullptr;
}

bool parentAlive(pid_t parent) {
    if (::getppid() != parent) {
        return false;  // re-parented: the relay is gone
    }
    return ::kill(parent, 0) == 0 || errno == EPERM;
}

void detachStandardStreams() {
    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0) {
        return;
    }
    for (int fd = 0; fd < 3; ++fd) {
        ::dup2(null, fd);
    }
    if (null > 2) {
        ::close(null);
    }
}

void serve(int connection, const std::string& directory, const std::string& sessionId, int terminal,
           KeystrokeSink* multiplexer) {
    const auto peer = unix_socket::peerUid(connection);
    if (!peer || *peer != ::geteuid()) {
        return;
    }
    unix_socket::setReceiveTimeout(connection, requestReadSeconds);
    const std::string text = readMessage(connection);
    if (text.empty() || !isValidUtf8(text)) {
        return;
    }
    const std::string bytes = decodeEscapes(text);
    // A reply can hold a secret: the log says how much was typed, never what.
    appendLog(directory, "inject sid=" + sessionId + " bytes=" + std::to_string(bytes.size()));
    bool typed = false;
    if (terminal >= 0) {
        TiocstiSink tiocsti(terminal);
        const auto results = tiocsti.type(bytes);
        appendLog(directory, "  ioctl results: " + resultList(results));
        for (const int result : results) {
            typed = typed || result == 0;
        }
    }
    // Kernels that forbid TIOCSTI, or a session without a terminal: the
    // multiplexer hosting the session types instead.
    if (!typed && multiplexer != nullptr) {
        const auto results = multiplexer->type(bytes);
        appendLog(directory,
                  std::string("  ") + multiplexer->name() + " results: " + resultList(results));
    }
}

}  // namespace

void spawnInjectorDaemonIfNeeded(const std::string& directory, const std::string& sessionId) {
    const auto path = injectionSocketPath(directory, sessionId);
    if (!path) {
        return;
    }
    struct stat existing {};
    if (::lstat(path->c_str(), &existing) == 0 &&
        // A daemon that died without cleaning up leaves its socket file
        // behind: only a live listener of ours counts as serving the session.
        (!S_ISSOCK(existing.st_mode) || unix_socket::ownListenerAt(*path))) {
        return;
    }
    const std::string program = ownExecutable();
    if (program.empty() || !canType()) {
        return;
    }
    // The relay's pid travels along: the daemon may only get to run after the
    // relay has already gone, and must then not wait for a parent it never had.
    const std::string relayPid = std::to_string(::getpid());
    std::vector<char*> argv{
        const_cast<char*>(program.c_str()), const_cast<char*>("--inject-daemon"),
        const_cast<char*>(sessionId.c_str()), const_cast<char*>(relayPid.c_str()), nullptr};
    // The daemon must not hold Claude Code's pipes, or Claude Code would wait
    // for the daemon before reading the relay's answer.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd = 0; fd < 3; ++fd) {
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_RDWR, 0);
    }
    pid_t pid = 0;
    ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
}

int runInjectorDaemon(const std::string& directory, const std::string& sessionId,
                      std::optional<pid_t> relayPid) {
    const auto path = injectionSocketPath(directory, sessionId);
    if (!path) {
        return 1;
    }
    const pid_t parent = relayPid.value_or(::getppid());
    if (!parentAlive(parent)) {
        return 0;
    }
    detachStandardStreams();
    // A hang-up of the terminal or a polite kill still ends in the cleanup
    // below, so no stale socket file is left for the session.
    ::signal(SIGHUP, SIG_IGN);
    struct sigaction stop {};
    stop.sa_handler = requestStop;
    ::sigaction(SIGTERM, &stop, nullptr);
    ::sigaction(SIGINT, &stop, nullptr);
    const int terminal = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    const std::unique_ptr<MultiplexerSink> multiplexer = multiplexerFromEnvironment();
    if (terminal < 0 && multiplexer == nullptr) {
        return 1;
    }

    ::unlink(path->c_str());
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = unix_socket::address(*path);
    if (listener < 0 ||
        ::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, backlog) != 0) {
        return 1;
    }

    for (;;) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(listener, &readable);
        timeval wait{parentCheckSeconds, 0};
        const int ready = ::select(listener + 1, &readable, nullptr, nullptr, &wait);
        if (stopRequested || !parentAlive(parent)) {
            // A reply is usually sent the moment its question is answered,
            // which is also when the relay exits: whoever already connected
            // is still served. Removing the file first lets no one else in.
            ::unlink(path->c_str());
            ::fcntl(listener, F_SETFL, ::fcntl(listener, F_GETFL) | O_NONBLOCK);
            for (int connection;
                 (connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
                serve(connection, directory, sessionId, terminal, multiplexer.get());
                ::close(connection);
            }
            break;
        }
        if (ready <= 0) {
            continue;
        }
        const int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            continue;
        }
        serve(connection, directory, sessionId, terminal, multiplexer.get());
        ::close(connection);
    }

    ::close(listener);
    if (terminal >= 0) {
        ::close(terminal);
    }
    return 0;
}

}  // namespace halvane
