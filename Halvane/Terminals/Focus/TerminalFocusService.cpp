#include "Halvane/Terminals/Focus/TerminalFocusService.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <stop_token>

#include "Halvane/Platform/TabSelector.h"
#include "Halvane/Platform/WindowSystem.h"
#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Platform/posix/ProcessTable.h"
#include "Halvane/Platform/posix/UnixSocket.h"
#include "Halvane/Sessions/SessionStore.h"
#include "Halvane/Sessions/WorkerThreads.h"
#include "Halvane/Terminals/MultiplexerFocus.h"
#include "Halvane/Terminals/TerminalIds.h"
#include "HalvaneProtocol/Injection.h"

namespace halvane::TerminalFocusService {

namespace {

constexpr int ancestorLimit = 10;
// A daemon takes a line at once; one that does not within this is stuck.
constexpr int sendLimitMs = 3000;
// Room for the accessibility walk's recursion and D-Bus messages.
constexpr std::size_t workerStackSize = 1024 * 1024;

// The tab selector as workers reach it. install() takes it away, waiting for
// a search under way, so no search outlives the selector it runs on.
struct TabAccess {
    std::mutex mutex;
    TabSelector* tabs = nullptr;
};

// Main-thread state: the services, and what the user asked for last.
struct State {
    Platform platform;
    std::shared_ptr<TabAccess> tabAccess = std::make_shared<TabAccess>();
    // Jumps are numbered; only the newest may act. Only one terminal can be
    // in front, so a jump to any session makes every older one void.
    std::uint64_t latestJump = 0;
    std::stop_source jumpStop;
    std::uint64_t lastReply = 0;
    std::map<std::string, std::uint64_t> replies;
};

State& state() {
    static State installed;
    return installed;
}

Platform& platform() {
    return state().platform;
}

WorkerThreads& workers() {
    // Never destroyed: a worker may still be waiting on a hung program at exit.
    static auto* threads = new WorkerThreads(std::chrono::seconds(10), workerStackSize);
    return *threads;
}

// Runs job on a worker thread and hands its result to done on the main thread.
template <typename Job, typename Done>
void inBackground(Job job, Done done) {
    const int error = workers().run([job, done]() mutable {
        auto result = job();
        if (QCoreApplication* application = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                application, [done, result]() mutable { done(std::move(result)); },
                Qt::QueuedConnection);
        }
    });
    if (error != 0) {
        // No thread to be had: late is better than lost.
        done(job());
    }
}

bool sessionStillThere(const std::string& sessionId) {
    const QPointer<const SessionStore>& sessions = platform().sessions;
    return sessions.isNull() || sessions->sessions().contains(sessionId);
}

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
    if (!session.lastTerminalId) {
        return std::nullopt;
    }
    for (const std::int32_t pid : platform().processes->allPids()) {
        const auto info = platform().processes->info(pid);
        if (info && terminalIdForProcessName(info->name) == *session.lastTerminalId) {
            return pid;
        }
    }
    return std::nullopt;
}

void searchTab(std::int32_t pid, const std::string& needle, std::uint64_t number) {
    QTimer::singleShot(
        platform().tabSearchDelay, QCoreApplication::instance(), [pid, needle, number] {
            if (number != state().latestJump) {
                return;
            }
            // The walk asks the terminal itself, which may hang.
            inBackground(
                [access = state().tabAccess, pid, needle] {
                    const std::lock_guard lock(access->mutex);
                    return access->tabs != nullptr && access->tabs->selectTab(pid, needle);
                },
                [](bool) {});
        });
}

// The desktop half of a jump, once the multiplexer (if any) has answered.
// Calls then when the terminal has been dealt with.
void finishJump(const Session& session, const std::optional<MultiplexerFocus::Result>& focused,
                const std::function<void()>& then) {
    Platform& services = platform();
    const auto done = [&then] {
        if (then) {
            then();
        }
    };
    if (focused) {
        const auto host = focused->hostPid ? focused->hostPid : session.lastTerminalPid;
        const bool raised = host && raiseWindowAbove(*host);
        if (focused->selected || raised) {
            done();
            return;
        }
    }
    const auto terminal = runningTerminal(session);
    if (!terminal) {
        services.windows->beep();
        done();
        return;
    }
    services.windows->activateWindowOfPid(*terminal);
    done();
    if (services.tabs != nullptr) {
        searchTab(*terminal, std::filesystem::path(session.cwd).filename().string(),
                  state().latestJump);
    }
}

void startJump(const Session& session, const std::function<void()>& then) {
    State& current = state();
    if (current.platform.processes == nullptr || current.platform.windows == nullptr) {
        if (then) {
            then();
        }
        return;
    }
    const std::uint64_t number = ++current.latestJump;
    // The older jump's command stops where it is.
    current.jumpStop.request_stop();
    current.jumpStop = std::stop_source();
    if (session.claudePid) {
        const MultiplexerFocus multiplexers(*current.platform.processes);
        if (const auto target = multiplexers.target(*session.claudePid)) {
            const std::stop_token stop = current.jumpStop.get_token();
            inBackground([target = *target, stop] { return MultiplexerFocus::focus(target, stop); },
                         [session, number, then](std::optional<MultiplexerFocus::Result> focused) {
                             if (number != state().latestJump || !sessionStillThere(session.id)) {
                                 log::error("TerminalFocus: dropped a late jump to session " +
                                            session.id.substr(0, 8));
                                 return;
                             }
                             finishJump(session, focused, then);
                         });
            return;
        }
    }
    finishJump(session, std::nullopt, then);
}

std::optional<std::string> socketPathFor(const std::string& sessionId) {
    return injectionSocketPath(platform().injectionDirectory, sessionId);
}

// A connection to the session's injector daemon, or -1 when none serves it.
// Never waits: a daemon whose queue is full (it stopped accepting) refuses
// at once instead of holding the caller.
int connectToDaemon(const std::string& sessionId) {
    const auto path = socketPathFor(sessionId);
    struct stat info {};
    if (!path || ::lstat(path->c_str(), &info) != 0) {
        return -1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return -1;
    }
    const sockaddr_un address = unix_socket::address(*path);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    // Only a daemon of ours gets text, whatever sits at the path.
    const auto owner = unix_socket::peerUid(fd);
    if (!owner || *owner != ::geteuid()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// One line, in one send, within the limit; true when all of it went out.
bool sendLine(int fd, const std::string& text) {
    const std::string message = text + "\n";
    pollfd writable{fd, POLLOUT, 0};
    if (::poll(&writable, 1, sendLimitMs) != 1 || (writable.revents & POLLOUT) == 0) {
        return false;
    }
    return ::send(fd, message.data(), message.size(), MSG_NOSIGNAL | MSG_DONTWAIT) ==
           static_cast<ssize_t>(message.size());
}

bool replyStillWanted(const std::string& sessionId, std::uint64_t reply) {
    const auto found = state().replies.find(sessionId);
    return found != state().replies.end() && found->second == reply && sessionStillThere(sessionId);
}

// A reply waits for both halves, the daemon's answer and the jump, before
// falling back to typing into the window the jump brought to the front.
struct ReplyProgress {
    std::string sessionId;
    std::uint64_t reply = 0;
    std::string text;
    std::optional<bool> delivered;
    bool jumped = false;
};

void typeIfUndelivered(const std::shared_ptr<ReplyProgress>& progress) {
    if (!progress->jumped || !progress->delivered || *progress->delivered) {
        return;
    }
    if (!replyStillWanted(progress->sessionId, progress->reply)) {
        log::error("TerminalFocus: dropped a late reply to session " +
                   progress->sessionId.substr(0, 8));
        return;
    }
    if (platform().windows == nullptr) {
        return;
    }
    // The same keys the daemon would have typed, so "1\\r" is a 1 and Return,
    // not a backslash and an r; text without a Return of its own gets one.
    std::string keys = decodeEscapes(progress->text);
    if (keys.empty() || (keys.back() != '\r' && keys.back() != '\n')) {
        keys += '\r';
    }
    const std::string sessionId = progress->sessionId;
    const std::uint64_t reply = progress->reply;
    QTimer::singleShot(platform().typingDelay, QCoreApplication::instance(),
                       [keys, sessionId, reply] {
                           WindowSystem* windows = platform().windows;
                           if (windows != nullptr && replyStillWanted(sessionId, reply)) {
                               windows->typeKeys(keys);
                           }
                       });
}

}  // namespace

void install(Platform services) {
    State& current = state();
    {
        const std::lock_guard lock(current.tabAccess->mutex);
        current.tabAccess->tabs = nullptr;
    }
    current.tabAccess = std::make_shared<TabAccess>();
    current.tabAccess->tabs = services.tabs;
    current.platform = std::move(services);
    ++current.latestJump;
    current.jumpStop.request_stop();
    current.jumpStop = std::stop_source();
    current.replies.clear();
}

void jump(const Session& session) {
    // A session on another machine has no terminal here to bring forward.
    if (session.remoteHost) {
        return;
    }
    startJump(session, {});
}

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
    // Keys typed here would land in whatever local window has the focus.
    if (session.remoteHost) {
        log::system("Halvane: not typing into session " + session.id + ", which runs on " +
                    *session.remoteHost);
        return;
    }
    // Connected first: a daemon serves a connection it has already queued
    // even when its relay ends right after.
    const int daemon = connectToDaemon(session.id);
    if (beforeTyping) {
        beforeTyping();
    }
    State& current = state();
    auto progress = std::make_shared<ReplyProgress>();
    progress->sessionId = session.id;
    progress->reply = ++current.lastReply;
    progress->text = text;
    current.replies[session.id] = progress->reply;
    if (daemon >= 0) {
        inBackground(
            [daemon, text] {
                const bool sent = sendLine(daemon, text);
                ::close(daemon);
                return sent;
            },
            [progress](bool sent) {
                progress->delivered = sent;
                typeIfUndelivered(progress);
            });
    } else {
        progress->delivered = false;
    }
    startJump(session, [progress] {
        progress->jumped = true;
        typeIfUndelivered(progress);
    });
}

}  // namespace halvane::TerminalFocusService
