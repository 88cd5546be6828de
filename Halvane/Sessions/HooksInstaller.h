#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "Halvane/Sessions/HooksResult.h"

namespace halvane::HooksInstaller {

// Owner of every edit Halvane makes to Claude Code's settings file
// (<claude folder>/settings.json, see ClaudePaths). Every call reads the file
// anew; nothing is kept between calls.

// The relay next to the running executable, when it exists and is executable.
std::optional<std::string> hookBinaryPath();
// Where the running executable is taken to be: by default the process's own
// (/proc/self/exe, else its first command-line argument). Tests point it into
// a folder of their own to play an application that was installed or moved.
void setExecutablePathForTesting(std::optional<std::filesystem::path> path);
std::filesystem::path backupPath();

bool isInstalled();
// Installed (detail: the relay's path), already installed, relay missing
// (detail: where it must be) or write failed (detail: why). Claude Code runs
// the hook command through a shell, so the relay's path is written
// shell-quoted when it holds characters a shell would split or expand.
HooksResult installIfNeeded();
// Removed, nothing to remove, or write failed.
HooksResult uninstall();
// Restored, no backup, or write failed (detail: why; also logged).
HooksResult restoreBackup();

bool addAllowRule(const std::string& pattern);
std::vector<std::string> currentAllowPatterns();
bool removeAllowRule(const std::string& pattern);

}  // namespace halvane::HooksInstaller
