#pragma once

#include <optional>
#include <vector>

#include "Halvane/Sessions/JsonText.h"

namespace halvane {

// What one transcript line says, as far as session tracking cares. A key
// given twice counts with its last value, as in any JSON object; a key whose
// value is not a string counts as missing.
struct TranscriptLine {
    // A "tool_use" block opens its "id"; a "tool_result" block closes its "tool_use_id".
    struct ToolUseChange {
        bool opens = false;
        JsonText id;
    };

    std::optional<JsonText> cwd;
    std::optional<JsonText> type;
    std::optional<JsonText> subtype;
    bool hasMessage = false;  // "message" is an object
    // User lines Claude Code wrote itself rather than the person: a local
    // command's caveat ("isMeta") and the summary that /compact leaves.
    bool isMeta = false;
    bool isCompactSummary = false;

    // From the message: its string "content", or the string "text" of the
    // first content block that has one.
    std::optional<JsonText> text;
    // From the message's content blocks, in order; only when "content" is an
    // array of objects.
    std::vector<ToolUseChange> toolUseChanges;
    std::optional<JsonText> stopReason;
    std::optional<JsonText> model;

    void clearMessage() {
        text.reset();
        toolUseChanges.clear();
        stopReason.reset();
        model.reset();
    }

    void clear() {
        cwd.reset();
        type.reset();
        subtype.reset();
        hasMessage = false;
        isMeta = false;
        isCompactSummary = false;
        clearMessage();
    }
};

}  // namespace halvane
