#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "DecodeResult.h"

namespace halvane {

// The application's answer to one hook event.
struct HookDecision {
    enum class Decision { approve, deny, passthrough };

    Decision decision = Decision::passthrough;
    std::optional<std::string> reason = std::nullopt;
    std::optional<std::string> picked = std::nullopt;
    // With an approval: the tool input to run instead (compact JSON text),
    // e.g. a question's input with the user's answers.
    std::optional<std::string> updatedInput = std::nullopt;
    // With an approval: the rules Claude Code is to remember (compact JSON
    // text of a list), exactly as it suggested them.
    std::optional<std::string> updatedPermissions = std::nullopt;

    bool operator==(const HookDecision&) const = default;

    std::string encode() const;
    static DecodeResult<HookDecision> decode(std::string_view json);
};

std::string_view wireName(HookDecision::Decision decision);
std::optional<HookDecision::Decision> hookDecisionFromWire(std::string_view raw);

}  // namespace halvane
