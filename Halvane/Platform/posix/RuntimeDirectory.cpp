#include "Halvane/Platform/posix/RuntimeDirectory.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace halvane::runtime_directory {

namespace {

constexpr const char* overrideVariable = "HALVANE_SOCKET";

std::optional<std::string> homeOf(uid_t uid) {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    while (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == ERANGE) {
        buffer.resize(buffer.size() * 2);
    }
    if (found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/') {
        return std::nullopt;
    }
    return std::string(found->pw_dir);
}

std::string octal(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

// Missing folders on the way are made private; existing ones are left as the
// user has them (a home or ~/.local is often 0755, which is fine above ours).
bool makeMissing(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string parent = path.substr(0, slash);
        if (::mkdir(parent.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

std::string locate(uid_t uid, const std::string& runUserRoot) {
    const std::string runtime = runUserRoot + "/" + std::to_string(uid);
    struct stat info {};
    if (::lstat(runtime.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == uid &&
        (info.st_mode & 0777) == 0700) {
        return runtime + "/halvane";
    }
    const auto home = homeOf(uid);
    if (!home) {
        return {};
    }
    return (*home == "/" ? std::string() : *home) + "/.local/state/halvane/run";
}

std::optional<std::string> prepare(const std::string& path, uid_t uid) {
    if (path.empty()) {
        return std::string("no folder for sockets: user ") + std::to_string(uid) +
               " has no home directory in the password database";
    }
    const std::string refusing = "refusing " + path + ": ";
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            return refusing + std::strerror(errno);
        }
        if (!makeMissing(path)) {
            return "cannot create " + path + ": " + std::strerror(errno);
        }
        if (::lstat(path.c_str(), &info) != 0) {
            return refusing + std::strerror(errno);
        }
    }
    if (S_ISLNK(info.st_mode)) {
        return refusing + "it is a symbolic link";
    }
    if (!S_ISDIR(info.st_mode)) {
        return refusing + "it is not a directory";
    }
    if (info.st_uid != uid) {
        return refusing + "it belongs to user " + std::to_string(info.st_uid) + ", not to user " +
               std::to_string(uid);
    }
    if ((info.st_mode & 077) != 0) {
        return refusing + "other users can reach into it (mode " + octal(info.st_mode) +
               "); run chmod 700 on it";
    }
    return std::nullopt;
}

std::string hookSocketIn(const std::string& directory) {
    return directory.empty() ? std::string() : directory + "/halvane.sock";
}

std::string hookSocket(const std::string& directory) {
    const char* path = std::getenv(overrideVariable);
    if (path != nullptr && *path != '\0') {
        return path;
    }
    return hookSocketIn(directory);
}

}  // namespace halvane::runtime_directory
