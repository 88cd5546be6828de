#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace halvane::Graphemes {

// Where the character after the first `count` user-perceived characters of
// `text` (UTF-8) begins, as a byte offset; empty when the text holds no more
// than `count` of them. Characters are Unicode's extended grapheme clusters as
// ICU finds them: a letter with its marks, a joined emoji sequence, a flag,
// a Hangul syllable, CR LF. Ill-formed bytes count as a character, as U+FFFD
// would; a cut never falls inside a well-formed code point.
std::optional<std::size_t> cutPoint(std::string_view text, std::size_t count);

}  // namespace halvane::Graphemes
