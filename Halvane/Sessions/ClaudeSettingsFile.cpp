#include "Halvane/Sessions/ClaudeSettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string_view>
#include <system_error>

namespace halvane {

namespace {

namespace fs = std::filesystem;

// The kernel's own limit on links followed while resolving one path.
constexpr int maximumLinkHops = 40;
constexpr int maximumNameAttempts = 100;

std::string describe(int error) {
    return std::generic_category().message(error);
}

// nlohmann-json opens its messages with an internal tag nobody needs to read.
std::string plainMessage(std::string_view text) {
    if (!text.empty() && text.front() == '[') {
        if (const auto end = text.find("] "); end != std::string_view::npos) {
            text.remove_prefix(end + 2);
        }
    }
    return std::string(text);
}

fs::path folderOf(const fs::path& file) {
    const fs::path parent = file.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

// What readAll reports for a device, pipe or folder in the file's place:
// reading one could block or mean nothing, and replacing one would be worse.
constexpr int notRegularFile = -1;

// Returns 0, notRegularFile or the errno of the failure; info receives the
// file's status.
int readAll(const fs::path& path, std::string& bytes, struct stat* info = nullptr) {
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

std::string readFailure(const fs::path& path, int error) {
    if (error == notRegularFile) {
        return path.string() + " is not a regular file";
    }
    return "cannot read " + path.string() + ": " + describe(error);
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

// A rename is durable only once its folder is flushed; failing that is no
// reason to report the write as failed.
void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

std::string randomSuffix() {
    static constexpr std::string_view alphabet = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string suffix(8, ' ');
    for (char& character : suffix) {
        character = alphabet[pick(generator)];
    }
    return suffix;
}

// Writes bytes, complete and flushed, to a new hidden file beside `beside`,
// ready to be renamed over it. It takes the owner and permission bits of
// `like`; without one, the umask decides as for any new file.
std::optional<fs::path> stage(const fs::path& beside, std::string_view bytes,
                              const struct stat* like, std::string& problem) {
    const fs::path folder = folderOf(beside);
    fs::path staged;
    int fd = -1;
    for (int attempt = 0; attempt < maximumNameAttempts && fd < 0; ++attempt) {
        std::string name = ".";
        name += beside.filename().string();
        name += ".halvane-";
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

}  // namespace

ClaudeSettingsFile::ClaudeSettingsFile(std::filesystem::path path) : m_path(std::move(path)) {}

ClaudeSettingsFile::Contents ClaudeSettingsFile::read() const {
    Contents contents;
    std::string bytes;
    if (const int error = readAll(m_path, bytes); error != 0) {
        if (error != ENOENT) {
            contents.state = State::unusable;
            contents.problem = readFailure(m_path, error);
        }
        return contents;
    }
    // An empty file holds nothing to lose; it is edited like a missing one.
    if (bytes.find_first_not_of(" \t\r\n") == std::string::npos) {
        contents.state = State::object;
        return contents;
    }
    nlohmann::json value;
    try {
        value = nlohmann::json::parse(bytes);
    } catch (const nlohmann::json::exception& failure) {
        contents.state = State::unusable;
        contents.problem =
            m_path.string() + " is not valid JSON (" + plainMessage(failure.what()) + ")";
        return contents;
    }
    if (!value.is_object()) {
        contents.state = State::unusable;
        contents.problem =
            m_path.string() + " holds a JSON " + value.type_name() + ", not an object";
        return contents;
    }
    contents.state = State::object;
    contents.object = std::move(value);
    return contents;
}

std::optional<std::string> ClaudeSettingsFile::write(const nlohmann::json& object) const {
    std::string bytes;
    try {
        // Strict: text that is not UTF-8 is refused rather than altered.
        bytes = object.dump(2, ' ', false, nlohmann::json::error_handler_t::strict);
    } catch (const nlohmann::json::exception& failure) {
        return "cannot serialise the settings: " + plainMessage(failure.what());
    }
    bytes.push_back('\n');

    std::string problem;
    const auto destination = target(&problem);
    if (!destination) {
        return problem;
    }
    struct stat existing {};
    const bool exists = ::stat(destination->c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        return destination->string() + " is not a regular file";
    }
    if (!exists) {
        // A failure here shows up, better described, when the file is created.
        std::error_code ignored;
        fs::create_directories(folderOf(*destination), ignored);
    }
    const auto staged = stage(*destination, bytes, exists ? &existing : nullptr, problem);
    if (!staged) {
        return problem;
    }
    if (::rename(staged->c_str(), destination->c_str()) != 0) {
        const int error = errno;
        ::unlink(staged->c_str());
        return "cannot replace " + destination->string() + ": " + describe(error);
    }
    syncFolder(folderOf(*destination));
    return std::nullopt;
}

std::optional<std::string> ClaudeSettingsFile::copyTo(
    const std::filesystem::path& destination) const {
    std::string bytes;
    struct stat source {};
    if (const int error = readAll(m_path, bytes, &source); error != 0) {
        return readFailure(m_path, error);
    }
    std::string problem;
    const auto staged = stage(destination, bytes, &source, problem);
    if (!staged) {
        return problem;
    }
    // A hard link publishes the copy only while the name is free, so an
    // existing file is never replaced, not even by a racing copy.
    int error = 0;
    if (::link(staged->c_str(), destination.c_str()) != 0) {
        error = errno;
        struct stat present {};
        // File systems without hard links get a rename after a check instead.
        if (error != EEXIST && ::lstat(destination.c_str(), &present) != 0 && errno == ENOENT &&
            ::rename(staged->c_str(), destination.c_str()) == 0) {
            error = 0;
        }
    }
    ::unlink(staged->c_str());
    if (error != 0) {
        return "cannot create " + destination.string() + ": " + describe(error);
    }
    syncFolder(folderOf(destination));
    return std::nullopt;
}

std::optional<std::string> ClaudeSettingsFile::replaceWith(
    const std::filesystem::path& source) const {
    std::string problem;
    const auto destination = target(&problem);
    if (!destination) {
        return problem;
    }
    struct stat existing {};
    if (::stat(destination->c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        return destination->string() + " is not a regular file";
    }
    if (::rename(source.c_str(), destination->c_str()) == 0) {
        syncFolder(folderOf(*destination));
        return std::nullopt;
    }
    const int error = errno;
    if (error != EXDEV) {
        return "cannot move " + source.string() + " to " + destination->string() + ": " +
               describe(error);
    }
    // The link leads to another file system: copy into place atomically, and
    // only then give up the source.
    std::string bytes;
    struct stat info {};
    if (const int readError = readAll(source, bytes, &info); readError != 0) {
        return readFailure(source, readError);
    }
    const auto staged = stage(*destination, bytes, &info, problem);
    if (!staged) {
        return problem;
    }
    if (::rename(staged->c_str(), destination->c_str()) != 0) {
        const int renameError = errno;
        ::unlink(staged->c_str());
        return "cannot replace " + destination->string() + ": " + describe(renameError);
    }
    syncFolder(folderOf(*destination));
    // The settings are back; a source that cannot be removed is only clutter.
    ::unlink(source.c_str());
    return std::nullopt;
}

std::optional<std::filesystem::path> ClaudeSettingsFile::target(std::string* problem) const {
    fs::path current = m_path;
    for (int hop = 0; hop <= maximumLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        std::error_code error;
        const fs::path next = fs::read_symlink(current, error);
        if (error) {
            if (problem != nullptr) {
                *problem = "cannot read the link " + current.string() + ": " + error.message();
            }
            return std::nullopt;
        }
        current = next.is_absolute() ? next : folderOf(current) / next;
    }
    if (problem != nullptr) {
        *problem = "cannot follow " + m_path.string() + ": " + describe(ELOOP);
    }
    return std::nullopt;
}

}  // namespace halvane
