#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "ChildProcess.h"
#include "Files.h"
#include "Halvane/Platform/posix/ProcfsProcessTable.h"
#include "Halvane/Platform/posix/RuntimeDirectory.h"
#include "Halvane/Platform/posix/UnixSocket.h"
#include "HalvaneProtocol/Injection.h"
#include "MissingService.h"
#include "Polling.h"
#include "RelayHarness.h"
#include "ScriptedServer.h"
#include "TempDir.h"

using namespace halvane::test;

namespace {

std::string uniqueSession(const char* label) {
    return std::string("test-") + label + "-" + std::to_string(::getpid()) + "-" +
           std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
}

bool isSocket(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool sendRequest(const std::string& path, const std::string& bytes) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const auto address = halvane::unix_socket::address(path);
    const bool ok =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    ::close(fd);
    return ok;
}

// The daemons of the shipped binary use the user's own runtime folder, as the
// relay derives it.
const std::string& runtimeDir() {
    static const std::string path = [] {
        const std::string located = halvane::runtime_directory::locate(::getuid());
        EXPECT_EQ(halvane::runtime_directory::prepare(located, ::getuid()), std::nullopt);
        return located;
    }();
    return path;
}

std::string socketFor(const std::string& session) {
    return *halvane::injectionSocketPath(runtimeDir(), session);
}

std::string daemonLog() {
    return readFile(halvane::daemonLogPath(runtimeDir()));
}

// A daemon started by hand inside a real pseudo-terminal, which becomes its
// controlling terminal. The test reads the terminal's input queue raw.
class DaemonInTerminal {
public:
    explicit DaemonInTerminal(const std::string& session) {
        if (::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0) {
            return;
        }
        termios raw{};
        ::tcgetattr(m_slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_slave, TCSANOW, &raw);
        const std::string program = binaryDirectory() + "/halvane-hook";
        m_pid = ::fork();
        if (m_pid == 0) {
            ::setsid();
            ::ioctl(m_slave, TIOCSCTTY, 0);
            ::execl(program.c_str(), program.c_str(), "--inject-daemon", session.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::fcntl(m_slave, F_SETFL, O_NONBLOCK);
    }
    ~DaemonInTerminal() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_master);
        ::close(m_slave);
    }
    // Everything typed into the terminal so far.
    std::string typed() {
        char buffer[256];
        ssize_t count;
        while ((count = ::read(m_slave, buffer, sizeof buffer)) > 0) {
            m_typed.append(buffer, static_cast<std::size_t>(count));
        }
        return m_typed;
    }
    pid_t pid() const { return m_pid; }

private:
    int m_master = -1, m_slave = -1;
    pid_t m_pid = -1;
    std::string m_typed;
};

}  // namespace

TEST(InjectorDaemon, TypesDecodedRequestsIntoItsTerminalAndLogsThem) {
    const std::string session = uniqueSession("pty");
    const std::string path = socketFor(session);
    DaemonInTerminal daemon(session);
    ASSERT_TRUE(pollUntil([&] { return isSocket(path); })) << "daemon did not listen";
    // A full log starts over, keeping the previous one beside it.
    std::ofstream(halvane::daemonLogPath(runtimeDir()), std::ios::app)
        << std::string(256 * 1024, '.') << '\n';

    ASSERT_TRUE(sendRequest(path, "ls\\r\n"));
    ASSERT_TRUE(pollUntil([&] { return daemon.typed() == "ls\r"; })) << daemon.typed();
    // Only the first line of a connection counts; empty and invalid text is dropped.
    ASSERT_TRUE(sendRequest(path, "a\\\\b\\q\nsecond line\n"));
    ASSERT_TRUE(sendRequest(path, "\n"));
    ASSERT_TRUE(sendRequest(path, "bad \xC3\n"));
    ASSERT_TRUE(sendRequest(path, "end\\"));
    ASSERT_TRUE(pollUntil([&] { return daemon.typed() == "ls\ra\\b\\qend\\"; })) << daemon.typed();

    // A reply can hold a secret: the log counts the bytes and never shows them.
    const std::string log = daemonLog();
    EXPECT_NE(log.find("inject sid=" + session + " bytes=3\n  ioctl results: [0, 0, 0]\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("inject sid=" + session + " bytes=5\n"), std::string::npos);
    EXPECT_EQ(log.find("inject sid=" + session + " bytes=["), std::string::npos);
    EXPECT_EQ(log.find("second line"), std::string::npos);
    struct stat info {};
    ASSERT_EQ(::stat(halvane::daemonLogPath(runtimeDir()).c_str(), &info), 0);
    EXPECT_LT(info.st_size, 64 * 1024);
    EXPECT_TRUE(exists(halvane::daemonLogPath(runtimeDir()) + ".old"));
    if (info.st_uid == ::geteuid()) {
        EXPECT_EQ(info.st_mode & 0077, 0u) << "the log must not be readable by others";
    }
}

TEST(InjectorDaemon, WithoutATerminalOrMultiplexerItCannotStart) {
    const std::string session = uniqueSession("none");
    ChildOptions options;
    options.environment = {{"TMUX_PANE", std::nullopt},
                           {"KITTY_WINDOW_ID", std::nullopt},
                           {"WEZTERM_PANE", std::nullopt}};
    // setsid leaves the daemon without a controlling terminal.
    const auto result = runChild(
        {"/usr/bin/setsid", binaryDirectory() + "/halvane-hook", "--inject-daemon", session},
        options);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_FALSE(exists(socketFor(session)));
}

TEST(InjectorDaemon, UnsafeSessionIdsNeverBecomeSockets) {
    for (const std::string session : {"../escape", ".."}) {
        const auto result =
            runChild({binaryDirectory() + "/halvane-hook", "--inject-daemon", session});
        EXPECT_EQ(result.exitStatus, 1) << session;
    }
    EXPECT_FALSE(exists(runtimeDir() + "/inject-../escape.sock"));
    EXPECT_FALSE(exists(runtimeDir() + "/escape.sock"));
}

TEST(InjectorDaemon, TypesThroughTmuxWhenThereIsNoTerminal) {
    if (::access("/usr/bin/tmux", X_OK) != 0) {
        HALVANE_SKIP_UNLESS_CI("tmux is not installed");
    }
    TempDir dir("tmux");
    const std::string socket = (dir / "tmux.sock").string();
    const auto tmux = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"/usr/bin/tmux", "-S", socket});
        return runChild(arguments);
    };
    ASSERT_EQ(tmux({"new-session", "-d", "-x", "80", "-y", "10", "cat"}).exitStatus, 0);
    const std::string pane = tmux({"display-message", "-p", "#{pane_id}"}).standardOutput;
    const std::string serverPid = tmux({"display-message", "-p", "#{pid}"}).standardOutput;
    ASSERT_FALSE(pane.empty());

    const std::string session = uniqueSession("tmux");
    const std::string path = socketFor(session);
    const pid_t daemon = ::fork();
    if (daemon == 0) {
        ::setsid();
        ::setenv("TMUX", (socket + "," + serverPid.substr(0, serverPid.size() - 1) + ",0").c_str(),
                 1);
        ::setenv("TMUX_PANE", pane.substr(0, pane.size() - 1).c_str(), 1);
        const std::string program = binaryDirectory() + "/halvane-hook";
        ::execl(program.c_str(), program.c_str(), "--inject-daemon", session.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    EXPECT_TRUE(pollUntil([&] { return isSocket(path); }));
    EXPECT_TRUE(sendRequest(path, "hello from halvane\\r\n"));
    // cat echoes the submitted line back, so it shows twice in the pane.
    const bool typed = pollUntil([&] {
        const std::string screen = tmux({"capture-pane", "-p"}).standardOutput;
        return screen.find("hello from halvane\nhello from halvane") != std::string::npos;
    });
    EXPECT_TRUE(typed) << tmux({"capture-pane", "-p"}).standardOutput;
    EXPECT_NE(daemonLog().find("inject sid=" + session + " bytes=19\n"), std::string::npos);
    EXPECT_NE(daemonLog().find("  tmux results: [0, 0]"), std::string::npos);

    ::kill(daemon, SIGTERM);
    ::waitpid(daemon, nullptr, 0);
    tmux({"kill-server"});
}

TEST(InjectorDaemon, TheRelayStartsOneDaemonThatEndsAfterIt) {
    TempDir dir("spawn");
    const std::string appSocket = (dir / "h.sock").string();
    const std::string session = uniqueSession("spawn");
    const std::string path = socketFor(session);
    // The app stays silent for a moment, keeping the relay alive meanwhile.
    ScriptedServer app(appSocket, ScriptedServer::Reply::stayOpenSilent);

    int master = -1, slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const std::string input =
        R"({"hook_event_name":"Notification","session_id":")" + session + R"("})";
    const pid_t relay = ::fork();
    if (relay == 0) {
        ::setsid();
        ::ioctl(slave, TIOCSCTTY, 0);
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) {
            ::_exit(126);
        }
        (void)!::write(pipeFds[1], input.data(), input.size());
        ::close(pipeFds[1]);
        ::dup2(pipeFds[0], 0);
        ::setenv("HALVANE_TEST_SOCKET", appSocket.c_str(), 1);
        ::setenv("HALVANE_TEST_TIMEOUT", "1.5", 1);
        const std::string program = binaryDirectory() + "/relay-test-driver";
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    EXPECT_TRUE(pollUntil([&] { return isSocket(path); })) << "no daemon for the session";
    int status = 0;
    ::waitpid(relay, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // The daemon notices within about two seconds and removes its socket.
    EXPECT_TRUE(pollUntil([&] { return !exists(path); }, std::chrono::seconds(6)));
    ::close(master);
    ::close(slave);
}

TEST(InjectorDaemon, NoDaemonIsStartedWhileTheSocketFileExists) {
    TempDir dir("nospawn");
    const std::string session = uniqueSession("exists");
    const std::string path = socketFor(session);
    { std::ofstream(path) << "placeholder"; }
    ChildOptions options;
    options.standardInput = R"({"hook_event_name":"Stop","session_id":")" + session + R"("})";
    options.environment["HALVANE_TEST_SOCKET"] = (dir / "none.sock").string();
    const auto result =
        runChild({"/usr/bin/setsid", binaryDirectory() + "/relay-test-driver"}, options);
    EXPECT_EQ(result.exitStatus, 0);
    // A daemon would replace the file with its socket at once: none may
    // within the second one would need even on a busy machine.
    EXPECT_FALSE(pollUntil([&] { return isSocket(path); }, std::chrono::seconds(1)));
    EXPECT_TRUE(exists(path));
    ::unlink(path.c_str());
}

TEST(InjectorDaemon, AStaleSocketFileDoesNotBlockANewDaemon) {
    TempDir dir("stale");
    const std::string session = uniqueSession("stale");
    const std::string path = socketFor(session);
    {
        // What a daemon that was killed outright leaves behind.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const auto address = halvane::unix_socket::address(path);
        ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }
    struct stat stale {};
    ASSERT_EQ(::lstat(path.c_str(), &stale), 0);

    // The app stays silent for a moment, keeping the relay alive meanwhile.
    ScriptedServer app((dir / "h.sock").string(), ScriptedServer::Reply::stayOpenSilent);
    ChildOptions options;
    options.standardInput = R"({"hook_event_name":"Stop","session_id":")" + session + R"("})";
    options.environment["HALVANE_TEST_SOCKET"] = app.path();
    options.environment["HALVANE_TEST_TIMEOUT"] = "1";
    // No terminal, but a multiplexer pane: the daemon can serve and starts.
    options.environment["TMUX_PANE"] = "%999";
    const auto result =
        runChild({"/usr/bin/setsid", binaryDirectory() + "/relay-test-driver"}, options);
    EXPECT_EQ(result.exitStatus, 0);
    // The new daemon replaces the stale file and, once the relay is gone,
    // removes its own.
    EXPECT_TRUE(pollUntil([&] { return !exists(path); }, std::chrono::seconds(6)));
}

// Claude Code (holding the terminal), its relay, and the daemon the relay
// started: a reply sent as the question is answered reaches the daemon just
// as the relay exits, and is still typed.
TEST(InjectorDaemon, ARequestWaitingWhenTheRelayExitsIsStillTyped) {
    const std::string session = uniqueSession("late");
    const std::string path = socketFor(session);
    int master = -1, slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    int pids[2];
    ASSERT_EQ(::pipe(pids), 0);
    const std::string program = binaryDirectory() + "/halvane-hook";

    const pid_t agent = ::fork();
    if (agent == 0) {
        ::setsid();
        ::ioctl(slave, TIOCSCTTY, 0);
        const pid_t relay = ::fork();
        if (relay == 0) {
            const pid_t daemon = ::fork();
            if (daemon == 0) {
                ::execl(program.c_str(), program.c_str(), "--inject-daemon", session.c_str(),
                        static_cast<char*>(nullptr));
                ::_exit(127);
            }
            const pid_t both[2] = {::getpid(), daemon};
            (void)!::write(pids[1], both, sizeof both);
            for (;;) {
                ::pause();
            }
        }
        for (;;) {
            ::pause();
        }
    }
    pid_t both[2] = {-1, -1};
    ASSERT_EQ(::read(pids[0], both, sizeof both), static_cast<ssize_t>(sizeof both));
    const auto [relay, daemon] = both;
    ASSERT_TRUE(pollUntil([&] { return isSocket(path); })) << "daemon did not listen";

    // Hold the daemon still so the request is waiting when it next looks,
    // and by then its relay is gone.
    ::kill(daemon, SIGSTOP);
    EXPECT_TRUE(sendRequest(path, "late\\r\n"));
    ::kill(relay, SIGKILL);
    // Gone as the daemon sees it: the daemon has a new parent.
    ASSERT_TRUE(pollUntil([&] {
        const auto info = halvane::ProcfsProcessTable().info(daemon);
        return info && info->parentPid != relay;
    }));
    ::kill(daemon, SIGCONT);

    std::string typed;
    ::fcntl(slave, F_SETFL, O_NONBLOCK);
    EXPECT_TRUE(pollUntil([&] {
        char buffer[64];
        for (ssize_t count; (count = ::read(slave, buffer, sizeof buffer)) > 0;) {
            typed.append(buffer, static_cast<std::size_t>(count));
        }
        return typed == "late\r";
    })) << typed;
    // And then it ends, its socket file gone.
    EXPECT_TRUE(pollUntil([&] { return !exists(path); }));

    ::kill(agent, SIGKILL);
    ::waitpid(agent, nullptr, 0);
    ::close(pids[0]);
    ::close(pids[1]);
    ::close(master);
    ::close(slave);
}
