#pragma once

#include <string>

#include "Halvane/Sessions/Session.h"
#include "HalvaneProtocol/HookEvent.h"

// What each hook event says about a session beyond its status: the lines of
// its history, its transcript and model, the prompt it works on, the call it
// runs and the subagents working for it.
namespace halvane::SessionEvents {

// The history line for an event.
std::string summarize(const HookEvent& event);

// Whether a notification says Claude Code asks the user in its terminal,
// with no request Halvane could answer.
bool asksInTerminal(const HookEvent& event);

// Whether the event earns a line in the session's history.
bool recordsHistory(const HookEvent& event);

// Takes in what the event tells of the session, whatever its status.
void note(Session& session, const HookEvent& event);

// Whether a stop leaves work going on: a background task or a subagent.
bool workGoesOn(const Session& session, const HookEvent& stop);

}  // namespace halvane::SessionEvents
