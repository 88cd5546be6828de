#pragma once

namespace halvane {

// The one rendezvous between the relay and the application. Fixed on purpose:
// both programs must agree without configuration.
inline constexpr const char* socketPath = "/tmp/halvane.sock";

}  // namespace halvane
