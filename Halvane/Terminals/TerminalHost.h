#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace halvane {

// The terminal application an agent runs in, found among its ancestors.
// Both halves are empty when no ancestor is a known terminal.
struct TerminalHost {
    std::optional<std::string> id;
    std::optional<std::int32_t> pid;

    bool operator==(const TerminalHost&) const = default;
};

}  // namespace halvane
