#include "Halvane/Sessions/ProjectFolders.h"

#include <sys/stat.h>

#include <algorithm>
#include <system_error>

namespace halvane::ProjectFolders {

namespace {

constexpr std::string_view transcriptExtension = ".jsonl";
constexpr std::string_view subagentPrefix = "agent-";

std::optional<Timestamp> modificationTime(const std::filesystem::path& path) {
    struct stat status {};
    // Followed links count as what they point at; anything but a file is no transcript.
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    const auto since = std::chrono::seconds(status.st_mtim.tv_sec) +
                       std::chrono::nanoseconds(status.st_mtim.tv_nsec);
    return Timestamp(std::chrono::duration_cast<Timestamp::duration>(since));
}

}  // namespace

std::optional<Transcript> newestTranscript(const std::filesystem::path& folder) {
    std::optional<Transcript> newest;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    for (const std::filesystem::directory_iterator end; !error && entries != end;
         entries.increment(error)) {
        const std::filesystem::path& path = entries->path();
        const std::string name = path.filename().string();
        if (path.extension() != transcriptExtension || name.starts_with(subagentPrefix)) {
            continue;
        }
        const auto mtime = modificationTime(path);
        if (mtime && (!newest || *mtime > newest->mtime)) {
            newest = Transcript{path, *mtime};
        }
    }
    if (error) {
        return std::nullopt;  // half a listing could name the wrong transcript
    }
    return newest;
}

std::string cwdFromFolderName(const std::string& name) {
    std::string cwd = name.starts_with('-') ? name.substr(1) : name;
    std::replace(cwd.begin(), cwd.end(), '-', '/');
    return "/" + cwd;
}

std::string sessionIdOf(const std::filesystem::path& transcript) {
    return transcript.stem().string();
}

}  // namespace halvane::ProjectFolders
