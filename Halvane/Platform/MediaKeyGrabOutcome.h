#pragma once

#include <string>

namespace halvane {

// How an attempt to take the media keys ended.
struct MediaKeyGrabOutcome {
    enum class Status {
        grabbed,
        // No display server to take keys from.
        noDisplay,
        // Another program (usually the desktop) holds the keys already.
        keysTaken,
        // The display server refused for another reason.
        failed,
    };

    Status status = Status::failed;
    // For keysTaken and failed: what went wrong, in words.
    std::string detail;
};

}  // namespace halvane
