#pragma once

#include <string_view>

namespace halvane::log {

// The one way our programs write diagnostics. Each line is written with a
// single write(2) so lines from different threads never interleave.

// A line for the system log (ident "halvane"), also echoed to standard error.
void system(std::string_view line);

// A line for standard error only (the relay's and the scanner's diagnostics).
void error(std::string_view line);

}  // namespace halvane::log
