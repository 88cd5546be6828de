#include "Halvane/Sessions/TerminalFocusService.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <filesystem>

#include "Halvane/Platform/TabSelector.h"
#include "Halvane/Platform/WindowSystem.h"
#include "Halvane/Platform/posix/MultiplexerFocus.h"
#include "Halvane/Platform/posix/ProcessTable.h"
#include "Halvane/Platform/posix/UnixSocket.h"
#include "HalvaneProtocol/Injection.h"
#include "HalvaneProtocol/TerminalBundles.h"

namespace halvane::TerminalFocusService {

namespace {

Platform& platform() {
    static Platform installed;
    return installed;
}

constexpr int ancestorLimit = 10;

bool alive(std::int32_t pid) {
    return platform().processes->info(pid).has_value();
}

// The window showing a tmux client belongs to the terminal the client runs
// in, a few parents up.
bool raiseWindowAbove(std::int32_t pid) {
    for (int step = 0; step < ancestorLimit && pid > 1; ++step) {
        if (platform().windows->activateWindowOfPid(pid)) {
            return true;
        }
        const auto info = platform().processes->info(pid);
        if (!info) {
            return false;
        }
        pid = info->parentPid;
    }
    return false;
}

std::optional<std::int32_t> runningTerminal(const Session& session) {
    if (session.lastTerminalPid && alive(*session.lastTerminalPid)) {
        return session.lastTerminalPid;
    }
    if (!session.lastTerminalBundleId) {
        return std::nullopt;
    }
    for (const std::int32_t pid : platform().processes->allPids()) {
        const auto info = platform().processes->info(pid);
        if (info && terminalBundleForProcessName(info->name) == *session.lastTerminalBundleId) {
            return pid;
        }
    }
    return std::nullopt;
}

std::optional<std::string> socketPathFor(const std::string& sessionId) {
    if (!injectionSocketPath(sessionId)) {
        return std::nullopt;
    }
    const std::string path = platform().injectionSocketPrefix + sessionId + ".sock";
    if (!unix_socket::fitsAddress(path)) {
        return std::nullopt;
    }
    return path;
}

}  // namespace

void install(Platform services) {
    platform() = std::move(services);
}

void jump(const Session& session) {
    Platform& services = platform();
    if (services.processes == nullptr || services.windows == nullptr) {
        return;
    }
    if (session.claudePid) {
        const MultiplexerFocus multiplexers(*services.processes);
        if (const auto focused = multiplexers.focusAgent(*session.claudePid)) {
            const auto host = focused->hostPid ? focused->hostPid : session.lastTerminalPid;
            const bool raised = host && raiseWindowAbove(*host);
            if (focused->selected || raised) {
                return;
            }
        }
    }
    const auto terminal = runningTerminal(session);
    if (!terminal) {
        services.windows->beep();
        return;
    }
    services.windows->activateWindowOfPid(*terminal);
    if (services.tabs == nullptr) {
        return;
    }
    const std::string needle = std::filesystem::path(session.cwd).filename().string();
    const std::int32_t pid = *terminal;
    QTimer::singleShot(services.tabSearchDelay, QCoreApplication::instance(), [pid, needle] {
        if (TabSelector* tabs = platform().tabs) {
            tabs->selectTab(pid, needle);
        }
    });
}

namespace {

// A connection to the session's injector daemon, or -1 when none serves it.
int connectToDaemon(const std::string& sessionId) {
    const auto path = socketPathFor(sessionId);
    struct stat info {};
    if (!path || ::lstat(path->c_str(), &info) != 0) {
        return -1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    const sockaddr_un address = unix_socket::address(*path);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    // Another user's socket in /tmp is no daemon of ours: never hand it text.
    const auto owner = unix_socket::peerUid(fd);
    if (!owner || *owner != ::geteuid()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// One line, in one send; true when all of it went out.
bool sendLine(int fd, const std::string& text) {
    const std::string message = text + "\n";
    return ::send(fd, message.data(), message.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(message.size());
}

}  // namespace

bool injectViaDaemon(const std::string& sessionId, const std::string& text) {
    const int fd = connectToDaemon(sessionId);
    if (fd < 0) {
        return false;
    }
    const bool sent = sendLine(fd, text);
    ::close(fd);
    return sent;
}

void sendKeystrokes(const std::string& text, const Session& session,
                    const std::function<void()>& beforeTyping) {
    // Connected first: a daemon serves a connection it has already queued
    // even when its relay ends right after.
    const int daemon = connectToDaemon(session.id);
    if (beforeTyping) {
        beforeTyping();
    }
    const bool delivered = daemon >= 0 && sendLine(daemon, text);
    if (daemon >= 0) {
        ::close(daemon);
    }
    jump(session);
    if (delivered || platform().windows == nullptr) {
        return;
    }
    // The same keys the daemon would have typed, so "1\\r" is a 1 and Return,
    // not a backslash and an r; text without a Return of its own gets one.
    std::string keys = decodeEscapes(text);
    if (keys.empty() || (keys.back() != '\r' && keys.back() != '\n')) {
        keys += '\r';
    }
    QTimer::singleShot(platform().typingDelay, QCoreApplication::instance(), [keys] {
        if (WindowSystem* windows = platform().windows) {
            windows->typeKeys(keys);
        }
    });
}

}  // namespace halvane::TerminalFocusService
