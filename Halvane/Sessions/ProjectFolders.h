#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "Halvane/Sessions/Clock.h"

namespace halvane::ProjectFolders {

// A session transcript in a project folder.
struct Transcript {
    std::filesystem::path path;
    Timestamp mtime;
};

// The most recently modified session transcript in a project folder; on equal
// times the one listed first. Subagent transcripts ("agent-….jsonl") belong
// to a session and are never one themselves. Empty when the folder holds
// none or cannot be listed.
std::optional<Transcript> newestTranscript(const std::filesystem::path& folder);

// The working directory a project folder's name stands for, for transcripts
// that do not record one: "-home-ada-app" → "/home/ada/app".
std::string cwdFromFolderName(const std::string& name);

// The session id a transcript is named after.
std::string sessionIdOf(const std::filesystem::path& transcript);

}  // namespace halvane::ProjectFolders
