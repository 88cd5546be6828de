// Tab selection through the accessibility bus, against a real one: a private
// session bus starts the desktop's accessibility bus on demand, and a Qt
// window with tabs publishes them there.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDBusConnection>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "AccessibilityBus.h"
#include "ChildProcess.h"
#include "Halvane/Platform/linux/AtspiTabSelector.h"
#include "MissingService.h"
#include "QtTestEnvironment.h"
#include "ServiceProcess.h"
#include "XvfbSession.h"

namespace halvane::test {
namespace {

using namespace std::chrono_literals;

class AtspiTabSelectorTest : public ::testing::Test {
protected:
    // One bus for the whole binary: Qt keeps the session bus it first
    // connected to for the life of the process, and the selector uses that.
    static void SetUpTestSuite() {
        s_display = std::make_unique<XvfbSession>(false);
        if (!s_display->ready()) {
            s_why = s_display->why();
            return;
        }
        s_bus = std::make_unique<AccessibilityBus>(s_display->display());
        if (!s_bus->ready()) {
            s_why = s_bus->why();
            return;
        }
        ::setenv("DBUS_SESSION_BUS_ADDRESS", s_bus->address().c_str(), 1);
        s_ready = true;
    }

    static void TearDownTestSuite() {
        s_bus.reset();
        s_display.reset();
    }

    void SetUp() override {
        if (!s_ready) {
            HALVANE_SKIP_UNLESS_CI(s_why);
        }
    }

    // A tabbed window whose tabs are published on the accessibility bus.
    static std::unique_ptr<ServiceProcess> tabbedWindow(const std::vector<std::string>& titles) {
        std::vector<std::string> argv{binaryDirectory() + "/tabbed-window"};
        argv.insert(argv.end(), titles.begin(), titles.end());
        auto environment = s_bus->environment();
        environment["QT_QPA_PLATFORM"] = "xcb";
        environment["DISPLAY"] = s_display->display();
        auto window = std::make_unique<ServiceProcess>(argv, environment);
        EXPECT_EQ(window->readLine(20s), "shown") << window->errorOutput();
        return window;
    }

    // Tries until the window has registered with the accessibility registry,
    // which happens a moment after it is shown.
    static bool selectWhenPublished(AtspiTabSelector& selector, pid_t pid,
                                    const std::string& needle) {
        return waitUntil([&] { return selector.selectTab(pid, needle); }, 45s);
    }

    static inline std::unique_ptr<XvfbSession> s_display;
    static inline std::unique_ptr<AccessibilityBus> s_bus;
    static inline bool s_ready = false;
    static inline std::string s_why;
};

TEST_F(AtspiTabSelectorTest, PressesTheTabWhoseTitleNamesTheProjectFolder) {
    const auto window = tabbedWindow({"~/work/alpha", "claude — ~/work/billing-api", "htop"});
    AtspiTabSelector selector;
    ASSERT_TRUE(selectWhenPublished(selector, window->pid(), "Billing-API"))
        << window->errorOutput();
    EXPECT_EQ(window->readLine(10s), "current claude — ~/work/billing-api");

    // And back to the first one, by the first tab whose title matches.
    ASSERT_TRUE(selector.selectTab(window->pid(), "work"));
    EXPECT_EQ(window->readLine(10s), "current ~/work/alpha");
}

TEST_F(AtspiTabSelectorTest, LeavesTheWindowAloneWhenNoTabMatches) {
    const auto window = tabbedWindow({"alpha", "beta"});
    AtspiTabSelector selector;
    // The window is published once a matching tab can be pressed; the
    // needle that matches nothing then finds nothing and changes nothing.
    ASSERT_TRUE(selectWhenPublished(selector, window->pid(), "beta")) << window->errorOutput();
    ASSERT_EQ(window->readLine(10s), "current beta");
    EXPECT_FALSE(selector.selectTab(window->pid(), "gamma"));
    EXPECT_FALSE(selector.selectTab(window->pid(), ""));
    EXPECT_EQ(window->readLine(500ms), std::nullopt);
}

TEST_F(AtspiTabSelectorTest, OnlyLooksInsideTheProgramWithTheTerminalsPid) {
    const auto first = tabbedWindow({"one", "shared-name"});
    const auto second = tabbedWindow({"two", "shared-name"});
    AtspiTabSelector selector;
    ASSERT_TRUE(selectWhenPublished(selector, second->pid(), "shared")) << second->errorOutput();
    EXPECT_EQ(second->readLine(10s), "current shared-name");
    EXPECT_EQ(first->readLine(500ms), std::nullopt) << "the other program's tab stays put";
    EXPECT_FALSE(selector.selectTab(::getpid(), "shared"));
}

TEST_F(AtspiTabSelectorTest, ATabDeeperThanTheWalkGoesIsNotFound) {
    const auto window = tabbedWindow({"alpha", "beta"});
    AtspiTabSelector deep;
    ASSERT_TRUE(selectWhenPublished(deep, window->pid(), "beta")) << window->errorOutput();
    AtspiTabSelector shallow(1);
    EXPECT_FALSE(shallow.selectTab(window->pid(), "alpha"));
}

// A real GTK terminal: its tabs show the project folder in their titles, and
// the window's title follows the tab in front.
TEST_F(AtspiTabSelectorTest, PressesTheProjectTabInAGtkTerminal) {
    if (::access("/usr/bin/xfce4-terminal", X_OK) != 0) {
        HALVANE_SKIP_UNLESS_CI("xfce4-terminal is not installed (scripts/install-deps)");
    }
    auto environment = s_bus->environment();
    environment["DISPLAY"] = s_display->display();
    ServiceProcess terminal({"/usr/bin/xfce4-terminal", "--disable-server", "--title=~/src/alpha",
                             "--command=sleep 600", "--tab", "--title=claude — ~/src/billing-api",
                             "--command=sleep 600", "--tab", "--title=htop", "--command=sleep 600"},
                            environment);
    const auto firstLine = [](const std::string& text) { return text.substr(0, text.find('\n')); };
    const auto title = [&] {
        const std::string window =
            firstLine(runChild({"/usr/bin/xdotool", "search", "--onlyvisible", "--pid",
                                std::to_string(terminal.pid())})
                          .standardOutput);
        return window.empty()
                   ? window
                   : firstLine(
                         runChild({"/usr/bin/xdotool", "getwindowname", window}).standardOutput);
    };
    // A GTK terminal can take a long while to come up on a busy machine.
    ASSERT_TRUE(waitUntil([&] { return title() == "htop"; }, 60s))
        << title() << terminal.errorOutput();

    AtspiTabSelector selector;
    ASSERT_TRUE(selectWhenPublished(selector, terminal.pid(), "billing-api"));
    EXPECT_TRUE(waitUntil([&] { return title() == "claude — ~/src/billing-api"; })) << title();
    EXPECT_FALSE(selector.selectTab(terminal.pid(), "gamma"));
    EXPECT_EQ(title(), "claude — ~/src/billing-api");
}

}  // namespace
}  // namespace halvane::test
