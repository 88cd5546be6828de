#pragma once

namespace halvane {

// The desktop's own settings page where a person makes Halvane able to bring
// other programs' windows to the front.
class AccessibilitySettings {
public:
    virtual ~AccessibilitySettings() = default;

    // Opens the page without waiting for it; false when this desktop has none.
    virtual bool open() = 0;
};

}  // namespace halvane
