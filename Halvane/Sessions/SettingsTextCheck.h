#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace halvane::SettingsTextCheck {

// What a rewrite through nlohmann-json would change in valid JSON text
// besides formatting and key order: an integer beyond 64 bits comes back as
// a rounded float, and of a key given twice in one object only the last
// value survives. Returns what the user wrote that would be changed, for a
// message; none when every value comes back as written.
std::optional<std::string> valueARewriteWouldChange(std::string_view text);

}  // namespace halvane::SettingsTextCheck
