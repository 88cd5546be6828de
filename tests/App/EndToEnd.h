#pragma once

// What the end-to-end tests share: waiting, the X server's view of windows
// through xdotool, and the environment the app runs in.
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AppProcess.h"
#include "Polling.h"
#include "TempDir.h"
#include "XvfbSession.h"

namespace halvane::test {

using Environment = std::map<std::string, std::optional<std::string>>;

std::string xdotool(const std::vector<std::string>& arguments);

struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const WindowGeometry&) const = default;
};
std::optional<WindowGeometry> geometryOf(const std::string& window);

// The notch windows on screen now (the session notch's and the HUD's).
std::vector<std::string> visibleNotches();

// Where on screen the visible notches take clicks: their input shape, which
// is the surface as drawn now, so it grows and shrinks with their animations.
std::vector<WindowGeometry> notchInputRegion();
bool notchTakesClickAt(int x, int y);

// The pid owning the X server's active window, or 0.
long activeWindowPid();

// A private home for the app, on the test's display.
Environment appEnvironment(const TempDir& home, const XvfbSession& display);

// With a compositing manager screenshots show the notch as a person sees
// it; without one, translucent parts are drawn over black.
std::unique_ptr<AppProcess> startCompositor(const TempDir& home, const XvfbSession& display);

// Where the test keeps what it saw, for a look by eye: HALVANE_TEST_RENDERS,
// else the folder the test runs in (the test's build folder under CTest).
std::string artifactsFolder();

// Saves the whole screen as artifactsFolder()/name.
void screenshot(const XvfbSession& display, const std::string& name);

}  // namespace halvane::test
