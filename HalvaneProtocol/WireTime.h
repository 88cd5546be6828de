#pragma once

#include <chrono>

namespace halvane {

// Wire timestamps count seconds from 2001-01-01 00:00:00 UTC, not from 1970.
inline constexpr double referenceDateOffsetSeconds = 978307200.0;

inline double wireTimestamp(std::chrono::system_clock::time_point time) {
    const std::chrono::duration<double> sinceUnix = time.time_since_epoch();
    return sinceUnix.count() - referenceDateOffsetSeconds;
}

inline std::chrono::system_clock::time_point timeFromWire(double timestamp) {
    const std::chrono::duration<double> sinceUnix(timestamp + referenceDateOffsetSeconds);
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(sinceUnix));
}

}  // namespace halvane
