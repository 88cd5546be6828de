#include "Halvane/Sessions/StagedFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <random>
#include <system_error>

namespace halvane::StagedFile {

namespace {

namespace fs = std::filesystem;

constexpr int maximumNameAttempts = 100;
constexpr std::string_view stagedMarker = ".halvane-";
constexpr std::size_t suffixLength = 8;
constexpr std::string_view alphabet = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr time_t staleAfterSeconds = 60;

std::string describe(int error) {
    return std::generic_category().message(error);
}

int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

std::string randomSuffix() {
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string suffix(suffixLength, ' ');
    for (char& character : suffix) {
        character = alphabet[pick(generator)];
    }
    return suffix;
}

// ".<name…>.halvane-" and exactly the suffix stage() makes: nothing else
// that happens to start alike (a lock file, a user's own file) matches.
bool isStagedName(std::string_view name, std::string_view stem) {
    if (name.size() < 1 + stem.size() + stagedMarker.size() + suffixLength ||
        !name.starts_with(".") || name.substr(1, stem.size()) != stem) {
        return false;
    }
    const std::string_view suffix = name.substr(name.size() - suffixLength);
    const std::string_view marker =
        name.substr(name.size() - suffixLength - stagedMarker.size(), stagedMarker.size());
    return marker == stagedMarker && std::all_of(suffix.begin(), suffix.end(), [](char c) {
               return alphabet.find(c) != std::string_view::npos;
           });
}

}  // namespace

int readAll(const fs::path& path, std::string& bytes, struct stat* info) {
    // Non-blocking, so a named pipe in the file's place cannot hang the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno;
    }
    struct stat status {};
    int error = 0;
    if (::fstat(fd, &status) != 0) {
        error = errno;
    } else if (!S_ISREG(status.st_mode)) {
        error = notRegularFile;
    } else if (info != nullptr) {
        *info = status;
    }
    bytes.clear();
    char buffer[16384];
    while (error == 0) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            error = errno;
        } else if (count == 0) {
            break;
        } else {
            bytes.append(buffer, static_cast<std::size_t>(count));
        }
    }
    ::close(fd);
    return error;
}

fs::path folderOf(const fs::path& file) {
    const fs::path parent = file.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

std::optional<fs::path> stage(const fs::path& beside, std::string_view bytes,
                              const struct stat* like, std::string& problem) {
    const fs::path folder = folderOf(beside);
    fs::path staged;
    int fd = -1;
    for (int attempt = 0; attempt < maximumNameAttempts && fd < 0; ++attempt) {
        std::string name = ".";
        name += beside.filename().string();
        name += stagedMarker;
        name += randomSuffix();
        staged = folder / name;
        fd = ::open(staged.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        problem = "cannot create a file in " + folder.string() + ": " + describe(errno);
        return std::nullopt;
    }
    int error = 0;
    if (like != nullptr) {
        // Only root may hand a file to someone else; for everyone else this
        // keeps at most the group, so its failure is expected and ignored.
        if (like->st_uid != ::geteuid() || like->st_gid != ::getegid()) {
            [[maybe_unused]] const int kept = ::fchown(fd, like->st_uid, like->st_gid);
        }
        if (::fchmod(fd, like->st_mode & 07777) != 0) {
            error = errno;
        }
    }
    if (error == 0) {
        error = writeAll(fd, bytes);
    }
    if (error == 0 && ::fsync(fd) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(staged.c_str());
        problem = "cannot write " + staged.string() + ": " + describe(error);
        return std::nullopt;
    }
    return staged;
}

void removeStale(const fs::path& beside) {
    const fs::path folder = folderOf(beside);
    const std::string stem = beside.filename().string();
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) {
        return;
    }
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(directory)) {
        if (!isStagedName(entry->d_name, stem)) {
            continue;
        }
        struct stat info {};
        if (::fstatat(::dirfd(directory), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
            now - info.st_mtime > staleAfterSeconds) {
            ::unlinkat(::dirfd(directory), entry->d_name, 0);
        }
    }
    ::closedir(directory);
}

void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace halvane::StagedFile
