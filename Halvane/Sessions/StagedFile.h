#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace halvane::StagedFile {

// What readAll reports for a device, pipe or folder in the file's place:
// reading one could block or mean nothing, and replacing one would be worse.
inline constexpr int notRegularFile = -1;

// Reads the whole file without blocking on a pipe. Returns 0,
// notRegularFile or the errno of the failure; info receives its status.
int readAll(const std::filesystem::path& path, std::string& bytes, struct stat* info = nullptr);

// The folder holding file ("." for a bare name).
std::filesystem::path folderOf(const std::filesystem::path& file);

// Writes bytes, complete and flushed, to a new hidden file beside `beside`
// (".<name>.halvane-<8 letters or digits>"), ready to be renamed over it. It
// takes the owner and permission bits of `like`; without one, the umask
// decides as for any new file. Empty, with problem set, on failure.
std::optional<std::filesystem::path> stage(const std::filesystem::path& beside,
                                           std::string_view bytes, const struct stat* like,
                                           std::string& problem);

// Removes files that stage() left beside `beside` (and beside anything named
// after it, like its backup) more than a minute ago: a crash between staging
// and renaming leaves one behind. Fresh ones may be another edit's, in flight.
void removeStale(const std::filesystem::path& beside);

// A rename is durable only once its folder is flushed; failing that is no
// reason to report the write as failed.
void syncFolder(const std::filesystem::path& folder);

}  // namespace halvane::StagedFile
