#pragma once

#include <memory>
#include <optional>

namespace halvane {

// The built-in display's backlight. The system reports no changes, so the
// owner polls read().
class Backlight {
public:
    virtual ~Backlight() = default;

    // Brightness 0…1; nullopt when there is no backlight to read.
    virtual std::optional<float> read() = 0;
    // Asks for a new brightness (0…1) and returns at once; the display shows
    // it shortly after. Does nothing without a backlight.
    virtual void write(float value) = 0;
};

// The running system's backlight.
std::unique_ptr<Backlight> makeSystemBacklight();

}  // namespace halvane
