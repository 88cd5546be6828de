#include "Halvane/Sessions/ClaudePaths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace halvane::ClaudePaths {

namespace {

std::filesystem::path homeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir) {
        return entry->pw_dir;
    }
    return "/";
}

}  // namespace

std::filesystem::path directory() {
    if (const char* configured = std::getenv("CLAUDE_CONFIG_DIR");
        configured != nullptr && *configured != '\0') {
        return configured;
    }
    return homeDirectory() / ".claude";
}

std::filesystem::path settingsFile() {
    return directory() / "settings.json";
}

std::filesystem::path projectsDirectory() {
    return directory() / "projects";
}

}  // namespace halvane::ClaudePaths
