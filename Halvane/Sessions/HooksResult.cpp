#include "Halvane/Sessions/HooksResult.h"

namespace halvane {

bool HooksResult::failed() const {
    switch (outcome) {
        case Outcome::relayMissing:
        case Outcome::noBackup:
        case Outcome::writeFailed:
            return true;
        case Outcome::installed:
        case Outcome::alreadyInstalled:
        case Outcome::removed:
        case Outcome::nothingToRemove:
        case Outcome::restored:
            return false;
    }
    return true;
}

std::string HooksResult::text() const {
    switch (outcome) {
        case Outcome::installed:
            return "installed hooks → " + detail;
        case Outcome::alreadyInstalled:
            return "ok: hooks already installed";
        case Outcome::relayMissing:
            return "skip: halvane-hook not found next to app binary";
        case Outcome::removed:
            return "removed hooks";
        case Outcome::nothingToRemove:
            return "ok: no hooks to remove";
        case Outcome::restored:
            return "restored settings from the backup";
        case Outcome::noBackup:
            return "skip: no backup at " + detail;
        case Outcome::writeFailed:
            return "failed to write settings: " + detail;
    }
    return "failed to write settings: " + detail;
}

}  // namespace halvane
