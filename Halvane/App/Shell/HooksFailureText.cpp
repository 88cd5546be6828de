#include "Halvane/App/Shell/HooksFailureText.h"

namespace halvane::HooksFailureText {

QString of(const HooksResult& result) {
    const QString detail = QString::fromStdString(result.detail);
    switch (result.outcome) {
        case HooksResult::Outcome::relayMissing:
            return detail.isEmpty() ? QStringLiteral(
                                          "halvane-hook is missing next to Halvane, so Claude Code "
                                          "would have nothing to run.")
                                    : QStringLiteral(
                                          "halvane-hook is missing: Claude Code would run %1, "
                                          "which is not there or not executable.")
                                          .arg(detail);
        case HooksResult::Outcome::noBackup:
            return QStringLiteral("There is no backup to restore at %1.").arg(detail);
        case HooksResult::Outcome::writeFailed:
            return QStringLiteral("Couldn't change Claude Code's settings: %1").arg(detail);
        case HooksResult::Outcome::installed:
        case HooksResult::Outcome::alreadyInstalled:
        case HooksResult::Outcome::removed:
        case HooksResult::Outcome::nothingToRemove:
        case HooksResult::Outcome::restored:
            break;
    }
    return {};
}

}  // namespace halvane::HooksFailureText
