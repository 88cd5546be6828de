#pragma once

#include <filesystem>

namespace halvane::ClaudePaths {

// Claude Code's own folder: $CLAUDE_CONFIG_DIR when set and not empty, else
// ~/.claude. Read from the environment on every call, so tests can move it.
std::filesystem::path directory();
std::filesystem::path settingsFile();
std::filesystem::path projectsDirectory();

}  // namespace halvane::ClaudePaths
