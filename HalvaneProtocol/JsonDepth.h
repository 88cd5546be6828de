#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string_view>

namespace halvane {

// nlohmann-json parses, copies and serialises one stack frame per level of
// nesting: a few tens of thousands of levels overflow the stack. Nothing we
// read nests anywhere near this deep.
inline constexpr std::size_t jsonDepthLimit = 512;

// True when the arrays and objects in text nest deeper than limit. Counted
// on the raw bytes (strings skipped), so it is safe on any input, valid or not.
bool nestsDeeperThan(std::string_view text, std::size_t limit = jsonDepthLimit);

// Parses text without exceptions: a discarded value when it is not JSON or
// nests deeper than jsonDepthLimit.
nlohmann::json parseBounded(std::string_view text);

}  // namespace halvane
