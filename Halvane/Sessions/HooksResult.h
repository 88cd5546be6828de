#pragma once

#include <string>

namespace halvane {

// What one edit of Claude Code's hooks came to. The installer answers with
// it so every caller can tell a person the truth: the log keeps text(), the
// windows show a failure with its detail instead of a tick.
struct HooksResult {
    enum class Outcome {
        installed,         // detail: the relay's path, as written
        alreadyInstalled,  // detail: the relay's path; the file was not touched
        relayMissing,      // detail: where the relay must be, when known
        removed,
        nothingToRemove,
        restored,
        noBackup,     // detail: the backup's path
        writeFailed,  // detail: why, e.g. "changed by another program"
    };

    Outcome outcome = Outcome::writeFailed;
    std::string detail;

    // The hooks are not as the caller asked: nothing to tick.
    bool failed() const;
    // The line the log has always carried for this outcome.
    std::string text() const;

    bool operator==(const HooksResult&) const = default;
};

}  // namespace halvane
