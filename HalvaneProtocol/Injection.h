#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace halvane {

// The per-session socket on which an injector daemon takes text to type:
// "<directory>/inject-<session id>.sock" in the user's own runtime folder, or
// nothing when the session id is not a safe file-name component (holds "/"
// or NUL, is "." or "..", is empty, or makes a path too long for a Unix
// socket address). Such a session never gets a daemon and is never typed into.
std::optional<std::string> injectionSocketPath(std::string_view directory,
                                               std::string_view sessionId);

// The log all daemons of the user share, in the same folder.
std::string daemonLogPath(std::string_view directory);

// Request text → bytes to type: \\ \e \t \r \n are escapes; a backslash
// before anything else, or at the end, is itself.
std::string decodeEscapes(std::string_view text);

// The inverse for writers: every byte that decodeEscapes would read otherwise
// (backslash, line feed, carriage return, tab, escape) is written as an escape.
std::string encodeEscapes(std::string_view bytes);

}  // namespace halvane
