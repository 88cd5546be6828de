#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>

#include "ChildProcess.h"
#include "FakeProcessTable.h"
#include "Halvane/Platform/TabSelector.h"
#include "Halvane/Platform/WindowSystem.h"
#include "Halvane/Platform/posix/UnixSocket.h"
#include "Halvane/Terminals/Focus/TerminalFocusService.h"
#include "Halvane/Terminals/MultiplexerFocus.h"
#include "LogCapture.h"
#include "MissingService.h"
#include "QtTestEnvironment.h"
#include "ScriptedServer.h"
#include "TempDir.h"

using namespace halvane;
using namespace halvane::test;

namespace {

class RecordingWindows final : public WindowSystem {
public:
    bool trusted() override { return true; }
    bool activateWindowOfPid(std::int32_t pid) override {
        activated.push_back(pid);
        return windowOwners.count(pid) != 0;
    }
    bool typeKeys(const std::string& keys) override {
        typed.push_back(keys);
        return true;
    }
    void beep() override { ++beeps; }

    std::set<std::int32_t> windowOwners;
    std::vector<std::int32_t> activated;
    std::vector<std::string> typed;
    int beeps = 0;
};

// Searches run on worker threads.
class RecordingTabs final : public TabSelector {
public:
    bool selectTab(std::int32_t pid, const std::string& needle) override {
        const std::lock_guard lock(m_mutex);
        m_requests.emplace_back(pid, needle);
        return true;
    }
    std::vector<std::pair<std::int32_t, std::string>> requests() const {
        const std::lock_guard lock(m_mutex);
        return m_requests;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::pair<std::int32_t, std::string>> m_requests;
};

class TerminalFocus : public ::testing::Test {
protected:
    void SetUp() override {
        qtApplication();
        TerminalFocusService::Platform platform;
        platform.processes = &m_processes;
        platform.windows = &m_windows;
        platform.tabs = &m_tabs;
        platform.injectionDirectory = m_dir.path().string();
        platform.tabSearchDelay = std::chrono::milliseconds(5);
        platform.typingDelay = std::chrono::milliseconds(5);
        TerminalFocusService::install(platform);
    }
    void TearDown() override { TerminalFocusService::install({}); }

    Session session(const std::string& id = "s1") {
        Session result;
        result.id = id;
        result.cwd = "/home/ada/src/engine";
        return result;
    }

    TempDir m_dir{"focus"};
    FakeProcessTable m_processes;
    RecordingWindows m_windows;
    RecordingTabs m_tabs;
};

}  // namespace

TEST_F(TerminalFocus, ASessionWithoutAnyTerminalOnlyBeeps) {
    TerminalFocusService::jump(session());
    EXPECT_EQ(m_windows.beeps, 1);
    EXPECT_TRUE(m_windows.activated.empty());
}

TEST_F(TerminalFocus, RaisesTheLiveTerminalAndPressesTheProjectTab) {
    m_processes.add(300, 1, "gnome-terminal-server");
    m_windows.windowOwners.insert(300);
    Session target = session();
    target.lastTerminalPid = 300;
    TerminalFocusService::jump(target);
    EXPECT_EQ(m_windows.activated, std::vector<std::int32_t>{300});
    ASSERT_TRUE(waitUntil([&] { return !m_tabs.requests().empty(); }));
    EXPECT_EQ(m_tabs.requests().front(), std::make_pair(300, std::string("engine")));
    EXPECT_EQ(m_windows.beeps, 0);
}

TEST_F(TerminalFocus, AGoneTerminalIsFoundAgainByItsTerminalId) {
    m_processes.add(410, 1, "bash");
    m_processes.add(420, 1, "konsole");
    Session target = session();
    target.lastTerminalPid = 399;  // ended since
    target.lastTerminalId = "org.kde.konsole";
    TerminalFocusService::jump(target);
    EXPECT_EQ(m_windows.activated, std::vector<std::int32_t>{420});
    EXPECT_EQ(m_windows.beeps, 0);
}

TEST_F(TerminalFocus, RepliesGoThroughTheDaemonWithoutTyping) {
    const std::string path = (m_dir / "inject-s1.sock").string();
    ScriptedServer daemon(path, ScriptedServer::Reply::closeWithoutAnswer);
    m_processes.add(300, 1, "xterm");
    Session target = session();
    target.lastTerminalPid = 300;
    TerminalFocusService::sendKeystrokes("1\\r", target);
    ASSERT_TRUE(waitUntil([&] { return daemon.requests().size() == 1; }));
    // The daemon reads the escapes itself, so they travel unchanged.
    EXPECT_EQ(daemon.requests().front(), "1\\r");
    EXPECT_EQ(m_windows.activated, std::vector<std::int32_t>{300});
    QTest::qWait(30);
    EXPECT_TRUE(m_windows.typed.empty());
}

// Answering a question ends the relay and, with it, the daemon: the answer's
// connection has to be waiting at the daemon before the approval goes out.
TEST_F(TerminalFocus, TheWayToTheDaemonIsOpenBeforeTheApprovalGoesOut) {
    const std::string path = (m_dir / "inject-s1.sock").string();
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = unix_socket::address(path);
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);

    bool waitingAtApproval = false;
    TerminalFocusService::sendKeystrokes("1\\r", session(), [&] {
        pollfd pending{listener, POLLIN, 0};
        waitingAtApproval = ::poll(&pending, 1, 0) == 1;
    });
    EXPECT_TRUE(waitingAtApproval);
    const int connection = ::accept(listener, nullptr, nullptr);
    ASSERT_GE(connection, 0);
    char line[16] = {};
    EXPECT_EQ(::recv(connection, line, sizeof line - 1, MSG_WAITALL), 4);
    EXPECT_STREQ(line, "1\\r\n");
    ::close(connection);
    ::close(listener);
    QTest::qWait(30);
    EXPECT_TRUE(m_windows.typed.empty());
}

TEST_F(TerminalFocus, WithoutADaemonTheSameKeysAreTypedAfterTheJump) {
    m_processes.add(300, 1, "xterm");
    Session target = session();
    target.lastTerminalPid = 300;
    // An answer's escaped Return is pressed, not typed as a backslash and an r.
    TerminalFocusService::sendKeystrokes("say \"hi\" C:\\\\x\\r", target);
    ASSERT_TRUE(waitUntil([&] { return !m_windows.typed.empty(); }));
    EXPECT_EQ(m_windows.typed.front(), "say \"hi\" C:\\x\r");
    EXPECT_EQ(m_windows.activated, std::vector<std::int32_t>{300});

    // Text without a Return of its own still ends with one, and only one.
    TerminalFocusService::sendKeystrokes("yes", target);
    ASSERT_TRUE(waitUntil([&] { return m_windows.typed.size() == 2; }));
    EXPECT_EQ(m_windows.typed.back(), "yes\r");
}

TEST_F(TerminalFocus, UnsafeSessionIdsAreNeverInjected) {
    EXPECT_FALSE(TerminalFocusService::injectViaDaemon("../s1", "x"));
    EXPECT_FALSE(TerminalFocusService::injectViaDaemon("..", "x"));
    EXPECT_FALSE(TerminalFocusService::injectViaDaemon("missing", "x"));
}

TEST(MultiplexerFocusParsing, FindsThePaneByItsTty) {
    const std::string listing = "/dev/pts/3 %0\n/dev/pts/30 %4\n/dev/pts/7 %2\n";
    EXPECT_EQ(MultiplexerFocus::paneForTty(listing, "/dev/pts/3"), "%0");
    EXPECT_EQ(MultiplexerFocus::paneForTty(listing, "/dev/pts/7"), "%2");
    EXPECT_EQ(MultiplexerFocus::paneForTty(listing, "/dev/pts/8"), std::nullopt);
}

TEST_F(TerminalFocus, SelectsTheAgentsTmuxPaneEvenWithoutItsTty) {
    if (::access("/usr/bin/tmux", X_OK) != 0) {
        HALVANE_SKIP_UNLESS_CI("tmux is not installed");
    }
    const std::string socket = (m_dir / "tmux.sock").string();
    const auto tmux = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"/usr/bin/tmux", "-S", socket});
        return runChild(arguments);
    };
    ASSERT_EQ(tmux({"new-session", "-d", "-s", "work", "-x", "80", "-y", "10"}).exitStatus, 0);
    ASSERT_EQ(tmux({"new-window", "-t", "work"}).exitStatus, 0);
    ASSERT_EQ(tmux({"new-window", "-t", "work"}).exitStatus, 0);
    // The agent runs in the second window's pane; the third is selected now.
    const std::string listing =
        tmux({"list-panes", "-a", "-F", "#{window_index} #{pane_id}"}).standardOutput;
    const auto at = listing.find("1 %");
    ASSERT_NE(at, std::string::npos) << listing;
    const std::string agentPane = listing.substr(at + 2, listing.find('\n', at) - at - 2);
    auto& agent = m_processes.add(500, 1, "claude");
    agent.environment["TMUX"] = socket + ",1,0";
    agent.environment["TMUX_PANE"] = agentPane;

    Session target = session();
    target.claudePid = 500;
    TerminalFocusService::jump(target);
    EXPECT_TRUE(waitUntil([&] {
        return tmux({"display-message", "-p", "-t", "work", "#{window_index}"}).standardOutput ==
               "1\n";
    }));
    EXPECT_EQ(m_windows.beeps, 0);
    tmux({"kill-server"});
}

// A terminal that hangs must not hold the panel: while its command waits the
// event loop keeps turning, and once the user has jumped again the hung
// jump's late result does nothing.
TEST_F(TerminalFocus, AHungMultiplexerNeverHoldsTheEventLoop) {
    const auto bin = m_dir / "bin";
    std::filesystem::create_directories(bin);
    std::ofstream(bin / "tmux") << "#!/bin/sh\nexec sleep 10\n";
    std::filesystem::permissions(bin / "tmux", std::filesystem::perms::owner_all);
    const std::string path = std::getenv("PATH");
    ::setenv("PATH", (bin.string() + ":" + path).c_str(), 1);
    m_processes.add(500, 1, "claude").environment["TMUX_PANE"] = "%1";
    m_processes.add(300, 1, "xterm");
    m_windows.windowOwners.insert(300);
    // An id of its own: a late jump of an earlier test is dropped too.
    Session target = session("hung");
    target.claudePid = 500;
    target.lastTerminalPid = 300;
    const LogCapture log;

    QElapsedTimer clock;
    clock.start();
    TerminalFocusService::jump(target);
    qint64 firedAt = -1;
    QTimer::singleShot(20, [&] { firedAt = clock.elapsed(); });
    ASSERT_TRUE(waitUntil([&] { return firedAt >= 0; }));
    EXPECT_LT(firedAt, 500) << "the jump waited on the hung tmux";
    EXPECT_TRUE(m_windows.activated.empty()) << "the window is raised once tmux has answered";

    Session again = target;
    again.claudePid.reset();
    TerminalFocusService::jump(again);
    EXPECT_EQ(m_windows.activated, std::vector<std::int32_t>{300});
    EXPECT_TRUE(waitUntil(
        [&] { return log.contains("TerminalFocus: dropped a late jump to session hung"); }));
    EXPECT_EQ(m_windows.activated, std::vector<std::int32_t>{300});
    ::setenv("PATH", path.c_str(), 1);
}

// A daemon that stopped accepting (stuck writing its log) fills its queue.
// Answers that find no room are typed instead, at once: none waits for it.
TEST_F(TerminalFocus, ADaemonThatStoppedAcceptingIsPassedOver) {
    const std::string path = (m_dir / "inject-s1.sock").string();
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = unix_socket::address(path);
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    m_processes.add(300, 1, "xterm");
    Session target = session();
    target.lastTerminalPid = 300;

    for (int option = 1; option <= 8; ++option) {
        TerminalFocusService::sendKeystrokes(std::to_string(option) + "\\r", target);
    }
    // Only the newest answer counts; the older ones were queued or are void.
    ASSERT_TRUE(waitUntil([&] { return !m_windows.typed.empty(); }));
    EXPECT_EQ(m_windows.typed, std::vector<std::string>{"8\r"});
    ::close(listener);
}
