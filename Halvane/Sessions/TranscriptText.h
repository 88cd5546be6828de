#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace halvane::TranscriptText {

// How many characters of a prompt or an answer the session list keeps.
inline constexpr std::size_t maximumCharacters = 240;

// The text of a transcript message as the session list shows it: trimmed,
// without tag pairs and their content (command wrappers, shell output), on one
// line, cut to `maximumCharacters` characters followed by "…". Empty when
// nothing remains. `text` must be valid UTF-8.
std::optional<std::string> clean(std::string_view text);

// Every "<tag>…</tag>" pair with its content removed, shortest match first,
// left to right, in time linear in the text's length.
std::string removeTagPairs(std::string_view text);

}  // namespace halvane::TranscriptText
