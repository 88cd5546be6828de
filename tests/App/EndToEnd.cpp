#include "EndToEnd.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
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
