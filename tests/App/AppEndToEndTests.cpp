// The shipped programs together on a real X server with a window manager:
// Claude Code's relay asks, the notch shows the request, the user clicks the
// panel and presses A, and the relay prints the approval.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "AppProcess.h"
#include "ChildProcess.h"
#include "HalvaneProtocol/SocketPath.h"
#include "PulseServer.h"
#include "TempDir.h"
#include "XvfbSession.h"

namespace halvane::test {
namespace {

using namespace std::chrono_literals;

// Polls `condition` until it holds or `limit` passes; true when it held.
bool pollUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 20s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return condition();
}

bool accepts(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    const bool connected =
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

std::string xdotool(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"/usr/bin/xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runChild(argv).standardOutput;
}

struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
};

std::optional<WindowGeometry> geometryOf(const std::string& window) {
    std::istringstream shell(xdotool({"getwindowgeometry", "--shell", window}));
    std::map<std::string, int> values;
    for (std::string line; std::getline(shell, line);) {
        const auto equals = line.find('=');
        if (equals != std::string::npos) {
            values[line.substr(0, equals)] = std::atoi(line.c_str() + equals + 1);
        }
    }
    if (!values.contains("WIDTH")) {
        return std::nullopt;
    }
    return WindowGeometry{values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]};
}

using Environment = std::map<std::string, std::optional<std::string>>;

// A private home for the app, on the test's display.
Environment appEnvironment(const TempDir& home, const XvfbSession& display) {
    return {
        {"HOME", home.path().string()},
        {"XDG_CONFIG_HOME", (home / ".config").string()},
        {"XDG_DATA_HOME", (home / ".local/share").string()},
        {"XDG_CACHE_HOME", (home / ".cache").string()},
        {"CLAUDE_CONFIG_DIR", std::nullopt},
        {"QT_QPA_PLATFORM", std::nullopt},
        {"DISPLAY", display.display()},
    };
}

// With a compositing manager screenshots show the notch as a person sees
// it; without one, translucent parts are drawn over black.
std::unique_ptr<AppProcess> startCompositor(const TempDir& home, const XvfbSession& display) {
    if (::access("/usr/bin/picom", X_OK) != 0) {
        return nullptr;
    }
    return std::make_unique<AppProcess>(
        std::vector<std::string>{"/usr/bin/picom", "--backend", "xrender"},
        Environment{{"DISPLAY", display.display()}}, home.path());
}

// The notch windows on screen now (the session notch's and the HUD's).
std::vector<std::string> visibleNotches() {
    std::istringstream found(xdotool({"search", "--onlyvisible", "--name", "^Notch$"}));
    std::vector<std::string> windows;
    for (std::string window; found >> window;) {
        windows.push_back(window);
    }
    return windows;
}

// Where the test keeps what it saw, for a look by eye: HALVANE_TEST_RENDERS,
// else the folder the test runs in (the test's build folder under CTest).
std::string artifactsFolder() {
    if (const char* folder = std::getenv("HALVANE_TEST_RENDERS")) {
        return folder;
    }
    return std::filesystem::current_path().string();
}

TEST(AppEndToEndTest, APermissionRequestIsApprovedWithTheAKeyOnThePanel) {
    for (const char* tool : {"/usr/bin/xdotool", "/usr/bin/import"}) {
        if (::access(tool, X_OK) != 0) {
            GTEST_SKIP() << tool << " is not installed (scripts/install-deps)";
        }
    }
    XvfbSession display;
    if (!display.ready()) {
        GTEST_SKIP() << display.why();
    }
    const TempDir home("app-home");
    // With a compositing manager the screenshot shows the card as a person
    // sees it; without one, translucent parts are drawn over black.
    std::optional<AppProcess> compositor;
    if (::access("/usr/bin/picom", X_OK) == 0) {
        compositor.emplace(
            std::vector<std::string>{"/usr/bin/picom", "--backend", "xrender"},
            std::map<std::string, std::optional<std::string>>{{"DISPLAY", display.display()}},
            home.path());
    }
    const std::map<std::string, std::optional<std::string>> environment{
        {"HOME", home.path().string()},
        {"XDG_CONFIG_HOME", (home / ".config").string()},
        {"XDG_DATA_HOME", (home / ".local/share").string()},
        {"XDG_CACHE_HOME", (home / ".cache").string()},
        {"CLAUDE_CONFIG_DIR", std::nullopt},
        {"QT_QPA_PLATFORM", std::nullopt},
        {"DISPLAY", display.display()},
    };
    AppProcess app({binaryDirectory() + "/halvane"}, environment, home.path());
    ASSERT_TRUE(pollUntil([&] { return accepts(socketPath) || !app.running(); }));
    ASSERT_TRUE(app.running()) << app.output();

    auto relay = std::async(std::launch::async, [&] {
        ChildOptions options;
        options.standardInput =
            R"({"hook_event_name":"PreToolUse","session_id":"e2e-session","cwd":"/work/app",)"
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

    // Let the card finish opening before looking at it.
    std::this_thread::sleep_for(600ms);
    const std::string shot = artifactsFolder() + "/e2e-prompt.png";
    runChild({"/usr/bin/import", "-display", display.display(), "-window", "root", shot});

    // A click on the card's rim, clear of its buttons, gives the panel the
    // keyboard; then A approves.
    xdotool({"mousemove", std::to_string(frame->x + frame->width / 2), "30", "click", "1"});
    ASSERT_TRUE(pollUntil(
        [&] { return xdotool({"getwindowfocus"}).find(std::to_string(std::stoul(panel))) == 0; }));
    xdotool({"key", "a"});

    ASSERT_EQ(relay.wait_for(30s), std::future_status::ready);
    const ChildResult result = relay.get();
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardOutput, "{\"decision\":\"approve\"}\n")
        << result.standardError << app.output();
}

TEST(AppEndToEndTest, AVolumeKeyRaisesTheSoundAndShowsTheHUDForAWhile) {
    for (const char* tool : {"/usr/bin/xdotool", "/usr/bin/import"}) {
        if (::access(tool, X_OK) != 0) {
            GTEST_SKIP() << tool << " is not installed (scripts/install-deps)";
        }
    }
    PulseServer sound;
    if (!sound.ready()) {
        GTEST_SKIP() << sound.why();
    }
    XvfbSession display;
    if (!display.ready()) {
        GTEST_SKIP() << display.why();
    }
    ASSERT_EQ(sound.pactl({"set-sink-volume", "ci", "50%"}).exitStatus, 0);
    const TempDir home("app-home");
    const auto compositor = startCompositor(home, display);
    Environment environment = appEnvironment(home, display);
    environment["PULSE_SERVER"] = sound.server();
    // A screen with a notch, so the HUD has its compact form.
    environment["HALVANE_NOTCH"] = "200x32";
    const std::string socket = (home / "halvane.sock").string();
    AppProcess app({binaryDirectory() + "/halvane", "--socket", socket}, environment, home.path());
    ASSERT_TRUE(pollUntil([&] { return accepts(socket) || !app.running(); }));
    ASSERT_TRUE(app.running()) << app.output();
    EXPECT_TRUE(visibleNotches().empty()) << "nothing to show without sessions";

    xdotool({"key", "XF86AudioRaiseVolume"});
    ASSERT_TRUE(pollUntil([&] { return !visibleNotches().empty(); })) << app.output();
    ASSERT_TRUE(pollUntil([&] { return std::abs(sound.sinkVolume() - 0.5625) < 0.002; }))
        << "one step of a sixteenth up from half; now " << sound.sinkVolume();
    std::this_thread::sleep_for(400ms);
    runChild({"/usr/bin/import", "-display", display.display(), "-window", "root",
              artifactsFolder() + "/e2e-volume-hud.png"});
    // And it goes away by itself.
    EXPECT_TRUE(pollUntil([&] { return visibleNotches().empty(); }, 10s)) << app.output();
}

}  // namespace
}  // namespace halvane::test
