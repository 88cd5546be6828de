#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halvane {

// What one process looks like from outside: enough to walk up a chain of
// parents and to recognise an agent or a terminal by name.
struct ProcessInfo {
    std::int32_t pid = 0;
    std::int32_t parentPid = 0;
    // The process's name as the system reports it, up to 32 characters.
    std::string name;
    // The controlling terminal's device path ("/dev/pts/3"), when it has one.
    std::optional<std::string> ttyPath;
};

// Read-only view of the machine's processes. Every query may fail (the process
// ended, or belongs to someone we may not inspect); a failure is an empty value.
class ProcessTable {
public:
    virtual ~ProcessTable() = default;

    virtual std::vector<std::int32_t> allPids() const = 0;
    virtual std::optional<ProcessInfo> info(std::int32_t pid) const = 0;
    virtual std::optional<std::string> currentDirectory(std::int32_t pid) const = 0;
    virtual std::optional<std::string> executablePath(std::int32_t pid) const = 0;
    virtual std::optional<std::string> environmentValue(std::int32_t pid,
                                                        std::string_view name) const = 0;
};

}  // namespace halvane
