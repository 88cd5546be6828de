#pragma once

#include <functional>

#include "HalvaneProtocol/HookDecision.h"
#include "HalvaneProtocol/HookEvent.h"

namespace halvane {

// What the hook server needs from the model: one call per decoded event, on
// the main thread. respond is called exactly once when an answer exists, on
// the main thread, before handle returns or later; calling it after the
// server stopped waiting is harmless.
class HookEventHandler {
public:
    using Respond = std::function<void(const HookDecision&)>;

    virtual ~HookEventHandler() = default;
    virtual void handle(const HookEvent& event, Respond respond) = 0;

    // The client that sent this event went away before its answer (Claude
    // Code ends the relay when the user answers in the terminal). Called on
    // the main thread, at most once, after handle(), and never once respond
    // has been called; respond is harmless afterwards.
    virtual void withdraw(const HookEvent& event) { static_cast<void>(event); }
};

}  // namespace halvane
