#pragma once

#include <functional>
#include <memory>

#include "Halvane/Platform/MediaKey.h"
#include "Halvane/Platform/MediaKeyGrabOutcome.h"

namespace halvane {

// Takes the volume and brightness keys before the desktop sees them, so its
// own pop-up never appears.
class MediaKeyGrabber {
public:
    virtual ~MediaKeyGrabber() = default;

    // After grabbed, every key-down of a media key (auto-repeats included)
    // calls onKeyDown on the main thread and reaches nobody else. Any other
    // outcome leaves no key held, and grab may be tried again.
    virtual MediaKeyGrabOutcome grab(std::function<void(MediaKey)> onKeyDown) = 0;
};

// The running desktop's media keys.
std::unique_ptr<MediaKeyGrabber> makeSystemMediaKeyGrabber();

}  // namespace halvane
