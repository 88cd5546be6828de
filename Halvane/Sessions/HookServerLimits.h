#pragma once

#include <chrono>
#include <cstddef>
#include <optional>

namespace halvane {

// How long the hook server waits, and how much it holds for its clients. The
// defaults are the product's; tests pass small ones.
struct HookServerLimits {
    // An unanswered event gets passthrough after this, well before the
    // relay's own 30 s limit.
    std::chrono::milliseconds decisionWait{25000};
    // The relay writes its event as soon as it connects; a request not
    // complete within this is read as it stands (usually: not at all).
    std::chrono::milliseconds requestReadTimeout{5000};
    // Connections open at once. They cost a descriptor and their unread
    // bytes, not a thread; at the bound the oldest unfinished request makes
    // room, and only when every connection holds a decoded request is a new
    // one turned away.
    std::size_t maxConnections = 4096;
    // A permission request waits for the user this long; none: until it is
    // answered, its client hangs up, or the server stops.
    std::optional<std::chrono::milliseconds> permissionRequestWait;
    // One request line; a Write tool's input can run to megabytes.
    std::size_t maxRequestBytes = 32u << 20;
    // Bytes of unfinished requests across all connections; past it the
    // biggest of them is dropped.
    std::size_t maxHeldBytes = 64u << 20;
};

}  // namespace halvane
