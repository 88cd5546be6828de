#pragma once

#include <QUuid>

#include "Halvane/Sessions/HookEventHandler.h"
#include "HalvaneProtocol/HookEvent.h"

namespace halvane {

// A permission request held until the user answers it. respond delivers the
// answer to the relay that is still waiting for it.
struct PendingPrompt {
    QUuid id;
    HookEvent event;
    HookEventHandler::Respond respond;
};

}  // namespace halvane
