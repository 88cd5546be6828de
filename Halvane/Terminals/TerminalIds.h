#pragma once

#include <optional>
#include <string_view>

namespace halvane {

// Terminal applications (and the editors and multiplexers agents run in) by a
// stable id, the one both programs put on the wire and keep on a session.
// Names compare exactly, case included.

// The terminal a process of this name belongs to.
std::optional<std::string_view> terminalIdForProcessName(std::string_view name);

// The terminal that sets this TERM_PROGRAM.
std::optional<std::string_view> terminalIdForTermProgram(std::string_view termProgram);

// What people call the terminal ("Konsole"); "Terminal" for an unknown id.
std::string_view terminalDisplayName(std::string_view id);

// Whether the id is an editor's rather than a terminal's.
bool isEditor(std::string_view id);

}  // namespace halvane
