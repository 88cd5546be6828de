// The shipped programs together on a real X server with a window manager:
// Claude Code's relay asks, the notch shows the request, the user clicks the
// panel and presses A, and the relay prints the approval.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <future>
#include <optional>
#include <string>

#include "AppProcess.h"
#include "ChildProcess.h"
#include "EndToEnd.h"
#include "Files.h"
#include "Halvane/Platform/posix/RuntimeDirectory.h"
#include "MissingService.h"
#include "PulseServer.h"
#include "ServiceProcess.h"
#include "TempDir.h"
#include "XvfbSession.h"

namespace halvane::test {
namespace {

using namespace std::chrono_literals;

// The app and the relay of the shipped binaries meet in the user's own folder.
const std::string socketPath =
    runtime_directory::hookSocketIn(runtime_directory::locate(::getuid()));

TEST(AppEndToEndTest, APermissionRequestIsApprovedWithTheAKeyOnThePanel) {
    for (const char* tool : {"/usr/bin/xdotool", "/usr/bin/import"}) {
        if (::access(tool, X_OK) != 0) {
            HALVANE_SKIP_UNLESS_CI(std::string(tool) + " is not installed (scripts/install-deps)");
        }
    }
    XvfbSession display;
    if (!display.ready()) {
        HALVANE_SKIP_UNLESS_CI(display.why());
    }
    const TempDir home("app-home");
    const auto compositor = startCompositor(home, display);
    const Environment environment = appEnvironment(home, display);
    AppProcess app({binaryDirectory() + "/halvane"}, environment, home.path());
    ASSERT_TRUE(pollUntil([&] { return accepts(socketPath) || !app.running(); }));
    ASSERT_TRUE(app.running()) << app.output();

    auto relay = std::async(std::launch::async, [&] {
        ChildOptions options;
        options.standardInput =
            R"({"hook_event_name":"PermissionRequest","session_id":"e2e-session","cwd":"/work/app",)"
            R"("tool_name":"Bash","tool_input":{"command":"make test"}})";
        options.environment = environment;
        options.limit = 40s;
        return runChild({binaryDirectory() + "/halvane-hook"}, options);
    });

    // The prompt opens the panel without any help from the pointer.
    std::string panel;
    ASSERT_TRUE(pollUntil([&] {
        const auto windows = visibleNotches();
        panel = windows.empty() ? "" : windows.front();
        return !panel.empty();
    })) << app.output();
    const auto frame = geometryOf(panel);
    ASSERT_TRUE(frame.has_value());
    // The panel is the top-centre quarter of the 1280 × 800 screen.
    EXPECT_EQ(frame->width, 640);
    EXPECT_EQ(frame->x, 320);
    EXPECT_EQ(frame->y, 0);

    // Once the card has finished opening, a click on its rim, clear of its
    // buttons, gives the panel the keyboard; then A approves.
    const int rimX = frame->x + frame->width / 2;
    ASSERT_TRUE(pollUntil([&] { return notchTakesClickAt(rimX, 30); })) << app.output();
    ASSERT_TRUE(pollUntilSteady(notchInputRegion)) << "the card kept opening";
    screenshot(display, "e2e-prompt.png");
    xdotool({"mousemove", "--sync", std::to_string(rimX), "30", "click", "1"});
    ASSERT_TRUE(pollUntil(
        [&] { return xdotool({"getwindowfocus"}).find(std::to_string(std::stoul(panel))) == 0; }));
    xdotool({"key", "a"});

    ASSERT_EQ(relay.wait_for(30s), std::future_status::ready);
    const ChildResult result = relay.get();
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardOutput, R"({"hookSpecificOutput":{"decision":{"behavior":"allow"},)"
                                     R"("hookEventName":"PermissionRequest"}})"
                                     "\n")
        << result.standardError << app.output();
}

TEST(AppEndToEndTest, AVolumeKeyRaisesTheSoundAndShowsTheHUDForAWhileOnEveryScreen) {
    for (const char* tool : {"/usr/bin/xdotool", "/usr/bin/import"}) {
        if (::access(tool, X_OK) != 0) {
            HALVANE_SKIP_UNLESS_CI(std::string(tool) + " is not installed (scripts/install-deps)");
        }
    }
    PulseServer sound;
    if (!sound.ready()) {
        HALVANE_SKIP_UNLESS_CI(sound.why());
    }
    XvfbSession display;
    if (!display.ready()) {
        HALVANE_SKIP_UNLESS_CI(display.why());
    }
    const TempDir home("app-home");
    const auto compositor = startCompositor(home, display);
    // A screen with a notch shows the HUD beside it; one without (most Linux
    // screens) in its floating pill.
    for (const bool notch : {true, false}) {
        SCOPED_TRACE(notch ? "with a notch" : "without a notch");
        ASSERT_EQ(sound.pactl({"set-sink-volume", "ci", "50%"}).exitStatus, 0);
        Environment environment = appEnvironment(home, display);
        environment["PULSE_SERVER"] = sound.server();
        environment["HALVANE_NOTCH"] =
            notch ? std::optional<std::string>("200x32") : std::optional<std::string>();
        const std::string socket = (home / "halvane.sock").string();
        AppProcess app({binaryDirectory() + "/halvane", "--socket", socket}, environment,
                       home.path());
        ASSERT_TRUE(pollUntil([&] { return accepts(socket) || !app.running(); }));
        ASSERT_TRUE(app.running()) << app.output();
        EXPECT_TRUE(visibleNotches().empty()) << "nothing to show without sessions";

        xdotool({"key", "XF86AudioRaiseVolume"});
        ASSERT_TRUE(pollUntil([&] { return !visibleNotches().empty(); })) << app.output();
        ASSERT_TRUE(pollUntil([&] { return std::abs(sound.sinkVolume() - 0.5625) < 0.002; }))
            << "one step of a sixteenth up from half; now " << sound.sinkVolume();
        EXPECT_TRUE(pollUntilSteady(notchInputRegion)) << "the HUD kept moving";
        screenshot(display, notch ? "e2e-volume-hud.png" : "e2e-volume-hud-floating.png");
        // And it goes away by itself.
        EXPECT_TRUE(pollUntil([&] { return visibleNotches().empty(); }, 10s)) << app.output();
    }
}

TEST(AppEndToEndTest, ASecondLaunchHandsOverToTheRunningHalvane) {
    if (::access("/usr/bin/xdotool", X_OK) != 0 || ::access("/usr/bin/dbus-daemon", X_OK) != 0) {
        HALVANE_SKIP_UNLESS_CI("xdotool or dbus-daemon is not installed (scripts/install-deps)");
    }
    XvfbSession display;
    if (!display.ready()) {
        HALVANE_SKIP_UNLESS_CI(display.why());
    }
    ServiceProcess bus({"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address"});
    const auto address = bus.readLine(10s);
    ASSERT_TRUE(address && !address->empty()) << bus.errorOutput();

    const TempDir home("app-home");
    writeFile(home / ".config/halvane/halvane.conf", "[General]\nonboarding.completed=true\n");
    Environment environment = appEnvironment(home, display);
    environment["DBUS_SESSION_BUS_ADDRESS"] = *address;
    AppProcess first({binaryDirectory() + "/halvane"}, environment, home.path());
    ASSERT_TRUE(pollUntil([&] { return accepts(socketPath) || !first.running(); }));
    ASSERT_TRUE(first.running()) << first.output();
    struct stat served {};
    ASSERT_EQ(::stat(socketPath.c_str(), &served), 0);

    // Launched again (from the app menu, say): the running one shows its
    // settings and keeps its socket; the new one ends at once.
    ChildOptions options;
    options.environment = environment;
    options.limit = 20s;
    const ChildResult again = runChild({binaryDirectory() + "/halvane"}, options);
    EXPECT_EQ(again.exitStatus, 0);
    EXPECT_NE(again.standardError.find("Halvane is already running; its settings are open now"),
              std::string::npos)
        << again.standardError;
    EXPECT_TRUE(pollUntil([&] {
        const std::string found =
            xdotool({"search", "--onlyvisible", "--name", "^Halvane Settings$"});
        return !found.empty() &&
               std::atol(xdotool({"getwindowpid", found.substr(0, found.find('\n'))}).c_str()) ==
                   first.pid();
    })) << first.output();
    struct stat still {};
    ASSERT_EQ(::stat(socketPath.c_str(), &still), 0);
    EXPECT_EQ(still.st_ino, served.st_ino) << "the socket file was replaced";
    EXPECT_TRUE(accepts(socketPath));
    EXPECT_TRUE(first.running());

    // The desktop entry's "Show sessions" reaches it too, and says when there are none yet.
    const ChildResult list = runChild({binaryDirectory() + "/halvane", "--show-sessions"}, options);
    EXPECT_EQ(list.exitStatus, 0);
    EXPECT_NE(list.standardError.find("with no Claude Code sessions to show yet"),
              std::string::npos)
        << list.standardError;
    EXPECT_TRUE(first.running());

    // Without a session bus it cannot ask for anything, and still ends.
    options.environment["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=/nonexistent/bus";
    const ChildResult blind = runChild({binaryDirectory() + "/halvane"}, options);
    EXPECT_EQ(blind.exitStatus, 0);
    EXPECT_NE(blind.standardError.find("Halvane is already running (it serves " + socketPath + ")"),
              std::string::npos)
        << blind.standardError;
    EXPECT_TRUE(accepts(socketPath));
}

}  // namespace
}  // namespace halvane::test
