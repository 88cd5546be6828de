#include "Halvane/Sessions/ClaudeSettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <random>
#include <string_view>
#include <system_error>
#include <thread>

#include "Halvane/Platform/posix/FileReplace.h"
#include "Halvane/Sessions/SettingsTextCheck.h"
#include "Halvane/Sessions/StagedFile.h"
#include "HalvaneProtocol/JsonDepth.h"

namespace halvane {

namespace {

namespace fs = std::filesystem;
using StagedFile::folderOf;
using StagedFile::notRegularFile;
using StagedFile::readAll;
using StagedFile::stage;
using StagedFile::syncFolder;

// The kernel's own limit on links followed while resolving one path.
constexpr int maximumLinkHops = 40;
// An empty or unparsable file is read again after each of these pauses
// (about 100 ms in all): a writer caught half-way is usually done at once.
constexpr std::array<std::chrono::milliseconds, 6> rereadPauses = {
    std::chrono::milliseconds(2),  std::chrono::milliseconds(5),  std::chrono::milliseconds(10),
    std::chrono::milliseconds(20), std::chrono::milliseconds(30), std::chrono::milliseconds(33)};
constexpr int maximumEditAttempts = 12;
constexpr auto lockWait = std::chrono::seconds(1);

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

std::string readFailure(const fs::path& path, int error) {
    if (error == notRegularFile) {
        return path.string() + " is not a regular file";
    }
    return "cannot read " + path.string() + ": " + describe(error);
}

bool sameFile(const struct stat& left, const struct stat& right) {
    return left.st_dev == right.st_dev && left.st_ino == right.st_ino &&
           left.st_size == right.st_size && left.st_mtim.tv_sec == right.st_mtim.tv_sec &&
           left.st_mtim.tv_nsec == right.st_mtim.tv_nsec;
}

bool sameInode(const struct stat& left, const struct stat& right) {
    return left.st_dev == right.st_dev && left.st_ino == right.st_ino;
}

// Whether path still holds exactly what was read: the same file with the
// same bytes, or still no file at all.
bool stillAsRead(const fs::path& path, const ClaudeSettingsFile::Contents& read) {
    std::string bytes;
    struct stat now {};
    const int error = readAll(path, bytes, &now);
    if (!read.status) {
        return error == ENOENT;
    }
    return error == 0 && sameFile(now, *read.status) && bytes == read.bytes;
}

fs::path lockFileFor(const fs::path& destination) {
    return folderOf(destination) / ("." + destination.filename().string() + ".halvane-lock");
}

// A short random pause, longer after each attempt, so a retry does not fall
// into step with a program that rewrites the file at a steady pace.
void pauseBeforeRetry(int attempt) {
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<int> microseconds(200, 1000 << std::min(attempt, 4));
    std::this_thread::sleep_for(std::chrono::microseconds(microseconds(generator)));
}

}  // namespace

ClaudeSettingsFile::ClaudeSettingsFile(std::filesystem::path path) : m_path(std::move(path)) {}

ClaudeSettingsFile::Contents ClaudeSettingsFile::read() const {
    Contents contents = readOnce();
    for (const std::chrono::milliseconds pause : rereadPauses) {
        const bool blank =
            contents.status && contents.bytes.find_first_not_of(" \t\r\n") == std::string::npos;
        const bool unparsable = contents.state == State::unusable && contents.status;
        if (!blank && !unparsable) {
            break;
        }
        std::this_thread::sleep_for(pause);
        contents = readOnce();
    }
    return contents;
}

ClaudeSettingsFile::Contents ClaudeSettingsFile::readOnce() const {
    Contents contents;
    struct stat status {};
    if (const int error = readAll(m_path, contents.bytes, &status); error != 0) {
        if (error != ENOENT) {
            contents.state = State::unusable;
            contents.problem = readFailure(m_path, error);
        }
        return contents;
    }
    contents.status = status;
    // An empty file holds nothing to lose; it is edited like a missing one.
    if (contents.bytes.find_first_not_of(" \t\r\n") == std::string::npos) {
        contents.state = State::object;
        return contents;
    }
    // Past this depth the parser itself would overflow the stack.
    if (nestsDeeperThan(contents.bytes)) {
        contents.state = State::unusable;
        contents.problem =
            m_path.string() + " nests deeper than " + std::to_string(jsonDepthLimit) + " levels";
        return contents;
    }
    nlohmann::json value;
    try {
        value = nlohmann::json::parse(contents.bytes);
    } catch (const nlohmann::json::exception& failure) {
        contents.state = State::unusable;
        contents.problem =
            m_path.string() + " is not valid JSON (" + plainMessage(failure.what()) + ")";
        return contents;
    }
    if (!value.is_object()) {
        contents.state = State::unusable;
        // A complete value: no writer is half-way through it.
        contents.status.reset();
        contents.problem =
            m_path.string() + " holds a JSON " + value.type_name() + ", not an object";
        return contents;
    }
    contents.state = State::object;
    contents.object = std::move(value);
    if (const auto changed = SettingsTextCheck::valueARewriteWouldChange(contents.bytes)) {
        contents.unkeepable = *changed;
    }
    return contents;
}

std::optional<std::string> ClaudeSettingsFile::edit(
    const std::function<Change(Contents&)>& change) const {
    std::string problem;
    const auto destination = target(&problem);
    if (!destination) {
        return problem;
    }
    // Cooperating writers wait for each other here; anybody else is caught
    // by the check before the file is replaced.
    std::optional<file_replace::FileLock> lock;
    if (std::error_code ignored; fs::is_directory(folderOf(*destination), ignored)) {
        lock.emplace(lockFileFor(*destination), lockWait);
    }
    StagedFile::removeStale(*destination);
    for (int attempt = 0; attempt < maximumEditAttempts; ++attempt) {
        if (attempt > 0) {
            pauseBeforeRetry(attempt);
        }
        Contents contents = read();
        if (contents.state == State::unusable) {
            return contents.problem;
        }
        if (change(contents) == Change::leave) {
            return std::nullopt;
        }
        if (!contents.unkeepable.empty()) {
            return m_path.string() + " holds " + contents.unkeepable;
        }
        std::string bytes;
        try {
            // Strict: text that is not UTF-8 is refused rather than altered.
            bytes = contents.object.dump(2, ' ', false, nlohmann::json::error_handler_t::strict);
        } catch (const nlohmann::json::exception& failure) {
            return "cannot serialise the settings: " + plainMessage(failure.what());
        }
        bytes.push_back('\n');
        switch (replaceIfUnchanged(*destination, contents, bytes, problem)) {
            case Outcome::replaced:
                return std::nullopt;
            case Outcome::failed:
                return problem;
            case Outcome::changed:
                break;
        }
    }
    return std::string("changed by another program");
}

ClaudeSettingsFile::Outcome ClaudeSettingsFile::replaceIfUnchanged(const fs::path& destination,
                                                                   const Contents& read,
                                                                   const std::string& bytes,
                                                                   std::string& problem) const {
    if (!read.status) {
        // A failure here shows up, better described, when the file is created.
        std::error_code ignored;
        fs::create_directories(folderOf(destination), ignored);
    }
    const auto staged = stage(destination, bytes, read.status ? &*read.status : nullptr, problem);
    if (!staged) {
        return Outcome::failed;
    }
    struct stat ours {};
    ::stat(staged->c_str(), &ours);
    const auto discard = [&] { ::unlink(staged->c_str()); };
    if (!stillAsRead(destination, read)) {
        discard();
        return Outcome::changed;
    }
    if (!read.status) {
        // Nothing to swap with: a hard link publishes the file only while the
        // name is still free.
        int error = ::link(staged->c_str(), destination.c_str()) == 0 ? 0 : errno;
        if (error != 0 && error != EEXIST && stillAsRead(destination, read) &&
            ::rename(staged->c_str(), destination.c_str()) == 0) {
            error = 0;  // a file system without hard links
        }
        discard();
        if (error == EEXIST) {
            return Outcome::changed;
        }
        if (error != 0) {
            problem = "cannot create " + destination.string() + ": " + describe(error);
            return Outcome::failed;
        }
        syncFolder(folderOf(destination));
        return Outcome::replaced;
    }
    const int swapped = file_replace::exchange(*staged, destination);
    if (swapped == EINVAL || swapped == ENOSYS) {
        // A file system that cannot swap names: the check above is all we have.
        if (::rename(staged->c_str(), destination.c_str()) != 0) {
            const int error = errno;
            discard();
            problem = "cannot replace " + destination.string() + ": " + describe(error);
            return Outcome::failed;
        }
        syncFolder(folderOf(destination));
        return Outcome::replaced;
    }
    if (swapped != 0) {
        discard();
        problem = "cannot replace " + destination.string() + ": " + describe(swapped);
        return Outcome::failed;
    }
    // The staged name now holds what the file was an instant ago. If another
    // program got in between the check and the swap, its file goes back.
    if (!stillAsRead(*staged, read)) {
        if (file_replace::exchange(*staged, destination) == 0) {
            struct stat back {};
            if (::stat(staged->c_str(), &back) == 0 && !sameInode(back, ours)) {
                // It replaced ours in that instant too: its newest goes back.
                file_replace::exchange(*staged, destination);
            }
        }
        discard();
        return Outcome::changed;
    }
    discard();
    syncFolder(folderOf(destination));
    return Outcome::replaced;
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
    StagedFile::removeStale(*destination);
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
