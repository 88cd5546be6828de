#include "Halvane/Platform/posix/ProcfsProcessTable.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <climits>

namespace halvane {

namespace {

constexpr std::size_t kernelNameLength = 15;
constexpr std::size_t longNameLength = 32;

// Small procfs files are read with plain read(2): no stream set-up on the
// relay's path, and procfs reports no useful size to stat.
std::optional<std::string> readSmallFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string contents;
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (count == 0) {
            break;
        }
        contents.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(fd);
    return contents;
}

std::optional<std::string> readLink(const std::string& path) {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) {
        return std::nullopt;
    }
    return std::string(buffer, static_cast<std::size_t>(length));
}

template <typename Number>
std::optional<Number> parseNumber(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> ttyPathFromDevice(long long device) {
    if (device == 0) {
        return std::nullopt;
    }
    const auto major = static_cast<unsigned>((device >> 8) & 0xfff);
    const auto minor = static_cast<unsigned>((device & 0xff) | ((device >> 12) & 0xfff00));
    // Majors 136-143 are the Unix98 pseudo-terminals, 256 minors each.
    if (major >= 136 && major <= 143) {
        return "/dev/pts/" + std::to_string((major - 136) * 256 + minor);
    }
    return std::nullopt;
}

}  // namespace

ProcfsProcessTable::ProcfsProcessTable(std::string root) : m_root(std::move(root)) {}

std::string ProcfsProcessTable::path(std::int32_t pid, const char* entry) const {
    std::string result = m_root;
    result += '/';
    result += std::to_string(pid);
    result += '/';
    result += entry;
    return result;
}

std::vector<std::int32_t> ProcfsProcessTable::allPids() const {
    std::vector<std::int32_t> pids;
    DIR* directory = ::opendir(m_root.c_str());
    if (directory == nullptr) {
        return pids;
    }
    while (const dirent* entry = ::readdir(directory)) {
        if (const auto pid = parseNumber<std::int32_t>(entry->d_name); pid && *pid > 0) {
            pids.push_back(*pid);
        }
    }
    ::closedir(directory);
    return pids;
}

std::optional<ProcessInfo> ProcfsProcessTable::parseStat(std::string_view stat) {
    // The name may itself hold spaces and parentheses, so it runs from the
    // first '(' to the last ')'.
    const auto open = stat.find('(');
    const auto close = stat.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        return std::nullopt;
    }
    ProcessInfo info;
    const auto pid = parseNumber<std::int32_t>(stat.substr(0, open == 0 ? 0 : open - 1));
    if (!pid) {
        return std::nullopt;
    }
    info.pid = *pid;
    info.name = std::string(stat.substr(open + 1, close - open - 1));

    // Fields after the name: state (3), ppid (4), pgrp (5), session (6), tty_nr (7).
    std::string_view rest = stat.substr(close + 1);
    std::string_view fields[5];
    for (auto& field : fields) {
        const auto start = rest.find_first_not_of(' ');
        if (start == std::string_view::npos) {
            return std::nullopt;
        }
        rest.remove_prefix(start);
        const auto end = rest.find_first_of(" \n");
        field = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    }
    const auto parentPid = parseNumber<std::int32_t>(fields[1]);
    const auto ttyDevice = parseNumber<long long>(fields[4]);
    if (!parentPid || !ttyDevice) {
        return std::nullopt;
    }
    info.parentPid = *parentPid;
    info.ttyPath = ttyPathFromDevice(*ttyDevice);
    return info;
}

std::string ProcfsProcessTable::fullName(const std::string& comm, std::string_view cmdline) {
    if (comm.size() != kernelNameLength) {
        return comm;
    }
    const std::string_view argv0 = cmdline.substr(0, cmdline.find('\0'));
    const auto slash = argv0.rfind('/');
    std::string_view base = slash == std::string_view::npos ? argv0 : argv0.substr(slash + 1);
    if (base.size() <= comm.size() || base.substr(0, comm.size()) != comm) {
        return comm;
    }
    return std::string(base.substr(0, longNameLength));
}

std::optional<ProcessInfo> ProcfsProcessTable::info(std::int32_t pid) const {
    const auto stat = readSmallFile(path(pid, "stat"));
    if (!stat) {
        return std::nullopt;
    }
    auto info = parseStat(*stat);
    if (!info) {
        return std::nullopt;
    }
    if (info->name.size() == kernelNameLength) {
        if (const auto cmdline = readSmallFile(path(pid, "cmdline"))) {
            info->name = fullName(info->name, *cmdline);
        }
    }
    return info;
}

std::optional<std::string> ProcfsProcessTable::currentDirectory(std::int32_t pid) const {
    return readLink(path(pid, "cwd"));
}

std::optional<std::string> ProcfsProcessTable::executablePath(std::int32_t pid) const {
    return readLink(path(pid, "exe"));
}

std::optional<std::string> ProcfsProcessTable::environmentValue(std::int32_t pid,
                                                                std::string_view name) const {
    const auto environ = readSmallFile(path(pid, "environ"));
    if (!environ) {
        return std::nullopt;
    }
    std::string_view rest = *environ;
    while (!rest.empty()) {
        const auto end = rest.find('\0');
        const std::string_view entry = rest.substr(0, end);
        if (entry.size() > name.size() && entry.substr(0, name.size()) == name &&
            entry[name.size()] == '=') {
            return std::string(entry.substr(name.size() + 1));
        }
        if (end == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(end + 1);
    }
    return std::nullopt;
}

}  // namespace halvane
