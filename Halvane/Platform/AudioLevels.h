#pragma once

#include <optional>

namespace halvane {

// What an output device reports about its loudness; an entry the device does
// not expose stays empty.
struct AudioLevels {
    // 0…1 of the device's full scale, the average over its channels.
    std::optional<float> volume;
    std::optional<bool> muted;
};

}  // namespace halvane
