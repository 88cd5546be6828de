#pragma once

#include <string>

#include "Halvane/Platform/posix/ProcessTable.h"

namespace halvane {

// The process table read from procfs. The root is a parameter so tests can
// point it at a folder laid out like /proc.
class ProcfsProcessTable final : public ProcessTable {
public:
    explicit ProcfsProcessTable(std::string root = "/proc");

    std::vector<std::int32_t> allPids() const override;
    std::optional<ProcessInfo> info(std::int32_t pid) const override;
    std::optional<std::string> currentDirectory(std::int32_t pid) const override;
    std::optional<std::string> executablePath(std::int32_t pid) const override;
    std::optional<std::string> environmentValue(std::int32_t pid,
                                                std::string_view name) const override;

    // Parses the text of /proc/<pid>/stat; exposed for tests.
    static std::optional<ProcessInfo> parseStat(std::string_view stat);
    // The kernel keeps only 15 characters of a name; the command line has the rest.
    static std::string fullName(const std::string& comm, std::string_view cmdline);

private:
    std::string path(std::int32_t pid, const char* entry) const;

    std::string m_root;
};

}  // namespace halvane
