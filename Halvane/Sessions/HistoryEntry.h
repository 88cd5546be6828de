#pragma once

#include <QUuid>
#include <optional>
#include <string>

#include "Halvane/Sessions/Clock.h"
#include "HalvaneProtocol/HookEvent.h"

namespace halvane {

// One line of a session's recent activity.
struct HistoryEntry {
    QUuid id;
    Timestamp timestamp;
    HookEvent::Kind kind = HookEvent::Kind::notification;
    std::optional<std::string> tool = std::nullopt;
    std::string summary;
};

}  // namespace halvane
