#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "ChildProcess.h"
#include "Files.h"
#include "Halvane/Platform/linux/XdoWindowSystem.h"
#include "MissingService.h"
#include "Polling.h"
#include "TempDir.h"
#include "XvfbSession.h"

using namespace halvane::test;

namespace {

// An xterm running a command, as the terminal a session would run in.
class Terminal {
public:
    Terminal(const std::string& title, const std::string& command) {
        m_pid = ::fork();
        if (m_pid == 0) {
            ::execlp("xterm", "xterm", "-title", title.c_str(), "-e", "sh", "-c", command.c_str(),
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~Terminal() {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
    pid_t pid() const { return m_pid; }
    bool mapped() const {
        return !runChild(
                    {"/usr/bin/xdotool", "search", "--onlyvisible", "--pid", std::to_string(m_pid)})
                    .standardOutput.empty();
    }

private:
    pid_t m_pid = -1;
};

std::string activeWindowPid() {
    const auto result = runChild({"/usr/bin/xdotool", "getactivewindow", "getwindowpid"});
    return result.standardOutput.substr(0, result.standardOutput.find('\n'));
}

}  // namespace

TEST(XdoWindowSystem, ActivatesTheWindowOfTheRightTerminalAndTypesIntoIt) {
    if (::access("/usr/bin/xterm", X_OK) != 0 || ::access("/usr/bin/xdotool", X_OK) != 0) {
        HALVANE_SKIP_UNLESS_CI("needs xterm and xdotool");
    }
    XvfbSession x11;
    if (!x11.ready()) {
        HALVANE_SKIP_UNLESS_CI(x11.why());
    }
    TempDir dir("xdo");
    const auto typed = dir / "typed.txt";
    Terminal first("first", "cat > " + typed.string());
    Terminal second("second", "sleep 600");
    ASSERT_TRUE(pollUntil([&] { return first.mapped() && second.mapped(); }));

    halvane::XdoWindowSystem windows;
    EXPECT_TRUE(windows.trusted());
    ASSERT_TRUE(windows.activateWindowOfPid(second.pid()));
    EXPECT_TRUE(pollUntil([&] { return activeWindowPid() == std::to_string(second.pid()); }));
    ASSERT_TRUE(windows.activateWindowOfPid(first.pid()));
    ASSERT_TRUE(pollUntil([&] { return activeWindowPid() == std::to_string(first.pid()); }));

    // Characters as themselves (a backslash too); line breaks press Return.
    EXPECT_TRUE(windows.typeKeys("1 \\r \"quoted\"\rsecond\nthird\r"));
    EXPECT_TRUE(pollUntil([&] { return readFile(typed) == "1 \\r \"quoted\"\nsecond\nthird\n"; }))
        << readFile(typed);

    EXPECT_FALSE(windows.activateWindowOfPid(::getpid())) << "the test itself has no window";
    windows.beep();
}

TEST(XdoWindowSystem, WithoutAWindowManagerThereIsNoTrust) {
    XvfbSession bare(false);
    if (!bare.ready()) {
        HALVANE_SKIP_UNLESS_CI(bare.why());
    }
    halvane::XdoWindowSystem windows;
    EXPECT_FALSE(windows.trusted());
}

TEST(XdoWindowSystem, WithoutADisplayEverythingFailsQuietly) {
    const char* previous = std::getenv("DISPLAY");
    const std::string saved = previous ? previous : "";
    ::unsetenv("DISPLAY");
    {
        halvane::XdoWindowSystem windows;
        EXPECT_FALSE(windows.trusted());
        EXPECT_FALSE(windows.activateWindowOfPid(1));
        EXPECT_FALSE(windows.typeKeys("x"));
        windows.beep();
    }
    if (previous) {
        ::setenv("DISPLAY", saved.c_str(), 1);
    }
}
