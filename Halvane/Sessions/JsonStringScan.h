#pragma once

namespace halvane::JsonStringScan {

// Steps over the body of a JSON string, checking it: the hot loop of reading
// a transcript, whose bytes sit mostly in a few huge strings (tool inputs
// and results). Plain ASCII and two-character escapes ("\n", "\"", "\\", …)
// are taken in blocks of 16 or 32 bytes without a branch per escape, which
// matters because tool results are code, with an escaped line feed, tab or
// quote every few dozen bytes.
//
// `p` is the first byte after the opening quote. Returns the closing quote,
// or null when the string is not valid: a bad escape, an unpaired surrogate
// escape, a raw control character, bytes that are not strict UTF-8 (overlong
// forms, surrogates, beyond U+10FFFF), or no closing quote before `end`.
// Sets `escaped` when the string holds an escape.
const char* findClosingQuote(const char* p, const char* end, bool& escaped);

}  // namespace halvane::JsonStringScan
