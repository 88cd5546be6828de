#pragma once

#include <QString>

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "Halvane/Notch/Components/DiffLine.h"

// The lines of a prompt card's code blocks: a shell command, or the removed
// and added text of an edit numbered as in the file on disk.
namespace halvane::PromptCodeLines {

// Files larger than this are not searched for line numbers: the card is
// built on the main thread and must not stall on a huge file.
inline constexpr std::uintmax_t kLineNumberFileLimit = 32 * 1024 * 1024;

// The line on which `searchText` first starts in the UTF-8 file at `path`
// (a relative path is taken from `cwd`); 1 when the file cannot be read, is
// not a regular file, is not UTF-8, is too large, or does not hold the text.
int startLine(const std::optional<std::string>& path, const std::string& searchText,
              const std::string& cwd);

// The command's lines numbered from 1 after a "$" prompt.
std::vector<DiffLine> commandLines(const nlohmann::json& input);
// The non-empty "description" of a Bash input.
std::optional<QString> commandDescription(const nlohmann::json& input);

// Removed lines ("−", red) then added lines ("+", green), each numbered from
// where the old text (or, for a new text, the new one) sits in the file. A
// multi-file edit lists its edits one after another, each numbered on its own.
std::vector<DiffLine> diffLines(const std::string& tool, const nlohmann::json& input,
                                const std::string& cwd);

// A single unnumbered line naming a file.
DiffLine pathLine(const QString& shortPath);

}  // namespace halvane::PromptCodeLines
