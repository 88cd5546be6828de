#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace halvane::Graphemes {

// Where the character after the first `count` user-perceived characters of
// `text` (valid UTF-8) begins, as a byte offset; empty when the text holds no
// more than `count` of them. A base letter keeps its combining marks,
// variation selectors and emoji modifiers, emoji joined by zero-width joiners
// stay one character, as do flag pairs, Hangul syllables and CR LF.
std::optional<std::size_t> cutPoint(std::string_view text, std::size_t count);

}  // namespace halvane::Graphemes
