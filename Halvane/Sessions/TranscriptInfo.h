#pragma once

#include <optional>
#include <string>

namespace halvane {

// What a transcript tells about its session. Of the user's prompts only the
// first and the last are kept: nothing shows the others.
struct TranscriptInfo {
    std::optional<std::string> firstUserPrompt;
    std::optional<std::string> lastUserPrompt;
    std::optional<std::string> lastAssistant;
    std::optional<std::string> lastModel;
    bool turnComplete = true;
    std::optional<std::string> cwd;

    bool operator==(const TranscriptInfo&) const = default;
};

}  // namespace halvane
