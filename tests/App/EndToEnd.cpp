#include "EndToEnd.h"

#include <unistd.h>
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>

#include "ChildProcess.h"

namespace halvane::test {

std::string xdotool(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"/usr/bin/xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runChild(argv).standardOutput;
}

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

std::vector<std::string> visibleNotches() {
    std::istringstream found(xdotool({"search", "--onlyvisible", "--name", "^Notch$"}));
    std::vector<std::string> windows;
    for (std::string window; found >> window;) {
        windows.push_back(window);
    }
    return windows;
}

std::vector<WindowGeometry> notchInputRegion() {
    std::vector<WindowGeometry> region;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    for (const std::string& notch : visibleNotches()) {
        const auto window = static_cast<xcb_window_t>(std::stoul(notch));
        std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> origin(
            xcb_translate_coordinates_reply(
                connection, xcb_translate_coordinates(connection, window, root, 0, 0), nullptr),
            &std::free);
        std::unique_ptr<xcb_shape_get_rectangles_reply_t, decltype(&std::free)> shape(
            xcb_shape_get_rectangles_reply(
                connection, xcb_shape_get_rectangles(connection, window, XCB_SHAPE_SK_INPUT),
                nullptr),
            &std::free);
        if (!origin || !shape) {
            continue;
        }
        const auto* rects = xcb_shape_get_rectangles_rectangles(shape.get());
        for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(shape.get()); ++i) {
            region.push_back({origin->dst_x + rects[i].x, origin->dst_y + rects[i].y,
                              rects[i].width, rects[i].height});
        }
    }
    xcb_disconnect(connection);
    return region;
}

bool notchTakesClickAt(int x, int y) {
    const auto region = notchInputRegion();
    return std::any_of(region.begin(), region.end(), [&](const WindowGeometry& rect) {
        return x >= rect.x && x < rect.x + rect.width && y >= rect.y && y < rect.y + rect.height;
    });
}

long activeWindowPid() {
    return std::atol(xdotool({"getactivewindow", "getwindowpid"}).c_str());
}

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

std::unique_ptr<AppProcess> startCompositor(const TempDir& home, const XvfbSession& display) {
    if (::access("/usr/bin/picom", X_OK) != 0) {
        return nullptr;
    }
    return std::make_unique<AppProcess>(
        std::vector<std::string>{"/usr/bin/picom", "--backend", "xrender"},
        Environment{{"DISPLAY", display.display()}}, home.path());
}

std::string artifactsFolder() {
    if (const char* folder = std::getenv("HALVANE_TEST_RENDERS")) {
        return folder;
    }
    return std::filesystem::current_path().string();
}

void screenshot(const XvfbSession& display, const std::string& name) {
    runChild({"/usr/bin/import", "-display", display.display(), "-window", "root",
              artifactsFolder() + "/" + name});
}

}  // namespace halvane::test
