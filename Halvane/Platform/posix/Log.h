#pragma once

#include <string_view>

namespace halvane::log {

// The one way our programs write diagnostics. Each line is written with a
// single write(2) so lines from different threads never interleave.

// A line for the system log (ident "halvane"), also echoed to standard error.
void system(std::string_view line);

// A routine line written for every event (a connection, a request): in the
// system log at debug priority, so it stays out of the default view; also
// echoed to standard error.
void debug(std::string_view line);

// A line for standard error only (the relay's and the scanner's diagnostics).
void error(std::string_view line);

}  // namespace halvane::log
