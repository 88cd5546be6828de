#pragma once

#include <cstdint>
#include <string>

namespace halvane {

// The desktop's windows, as far as Halvane needs them: raising a program's
// window, typing into whatever window has the focus, and the bell.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // True when windows of other programs can be brought to the front here:
    // a display is reachable and its window manager honours activation
    // requests.
    virtual bool trusted() = 0;
    // Activates a top-level window that belongs to pid; false when it has none.
    virtual bool activateWindowOfPid(std::int32_t pid) = 0;
    // Types keys into the focused window: each carriage return or line feed
    // presses Return, every other character is typed as itself.
    virtual bool typeKeys(const std::string& keys) = 0;
    virtual void beep() = 0;
};

}  // namespace halvane
