#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Start at login through the desktop's autostart folder: an entry named
// after the application's id, app.halvane.Halvane.desktop, in
// $XDG_CONFIG_HOME/autostart (~/.config/autostart), that starts the
// executable that installed it. The entry's existence is the only record of
// the choice. Earlier versions named it app.halvane.agent.desktop: that entry
// still counts, and is replaced by the next install or removed by uninstall.
namespace halvane::AutostartEntry {

inline constexpr const char* kEntryName = "app.halvane.Halvane.desktop";
inline constexpr const char* kLegacyEntryName = "app.halvane.agent.desktop";

std::filesystem::path entryPath();
bool isInstalled();

// Writes the entry for the running executable, replacing any earlier one in
// one rename. False, with a "Autostart entry install failed: " line in the system
// log, when it cannot be written; an earlier entry then stays as it was.
bool install();
// The same for another executable; install() passes the running one.
bool install(const std::filesystem::path& executable);
// Removes the entry; true also when there was none.
bool uninstall();

// The entry's text for `executable`.
std::string desktopEntry(const std::string& executable);
// `argument` as one argument of a desktop entry's Exec key, quoted and
// escaped so a launcher hands it to the program unchanged.
std::string execArgument(const std::string& argument);
// The Exec key's value (before the entry's own string escapes) that starts
// `executable`.
std::string execLine(const std::string& executable);

// The absolute path of the running executable, when it can be told.
std::optional<std::filesystem::path> runningExecutable();

}  // namespace halvane::AutostartEntry
