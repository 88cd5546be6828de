#pragma once

#include <QString>

#include <optional>

#include "Halvane/App/Shell/Appcast.h"

namespace halvane {

// What one look at the update feed found.
struct UpdateCheckResult {
    enum class Outcome { updateAvailable, upToDate, failed };

    Outcome outcome = Outcome::failed;
    QString currentVersion;
    // The newest release in the feed, when the feed could be read.
    std::optional<AppcastItem> latest;
    // Why the check failed, when it did.
    QString problem;
};

}  // namespace halvane
