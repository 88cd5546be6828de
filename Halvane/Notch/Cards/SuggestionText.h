#pragma once

#include <QString>

#include <optional>
#include <string>

namespace halvane::SuggestionText {

// What accepting Claude Code's permission suggestions (its
// permission_suggestions, as JSON text) would do, in the words its own
// dialog uses: "don't ask again for `npm run *` commands in this project",
// "allow all edits during this session". Nothing when there is no suggestion.
std::optional<QString> describe(const std::optional<std::string>& suggestions);

// The short label of the button that accepts them.
QString buttonLabel(const std::optional<std::string>& suggestions);

}  // namespace halvane::SuggestionText
