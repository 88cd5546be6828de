#pragma once

#include <cstdint>
#include <memory>

namespace halvane {

// Descriptors that turn readable when a process ends, so the event loop
// learns of an exit the moment it happens instead of asking again and again.
class ProcessExitHandles {
public:
    // A descriptor to watch (its owner closes it), or the reason there is
    // none: ESRCH when the process has already gone.
    struct Handle {
        int fd = -1;
        int error = 0;
    };

    virtual ~ProcessExitHandles() = default;

    // False where the system offers no such descriptors at all (older
    // kernels); callers then have to look at the process table themselves.
    virtual bool supported() = 0;
    virtual Handle open(std::int32_t pid) = 0;
};

// The running system's handles.
std::unique_ptr<ProcessExitHandles> makeSystemProcessExitHandles();

}  // namespace halvane
