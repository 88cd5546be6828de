#pragma once

#include <optional>
#include <string_view>

namespace halvane {

// Terminal applications by process name, with the bundle identifiers both
// programs put on the wire and store. Exact, case-sensitive names.
std::optional<std::string_view> terminalBundleForProcessName(std::string_view name);

// Terminal applications by the TERM_PROGRAM they set.
std::optional<std::string_view> terminalBundleForTermProgram(std::string_view termProgram);

}  // namespace halvane
