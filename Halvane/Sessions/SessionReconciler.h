#pragma once

#include <chrono>

#include "Halvane/Sessions/Clock.h"
#include "Halvane/Sessions/DiscoveredSession.h"
#include "Halvane/Sessions/Session.h"

namespace halvane::SessionReconciler {

// A stop keeps a session idle against a scan that still sees an unfinished
// turn for this long...
constexpr std::chrono::seconds stopHoldsFor{60};
// ...as long as the transcript was not written more than this after the stop.
constexpr std::chrono::seconds writeAfterStopSlack{2};

// A session first seen in a transcript.
Session sessionFrom(const DiscoveredSession& found);

// Merges what a scan found into a known session; true when anything changed.
// A session waiting for the user keeps its status.
bool update(Session& session, const DiscoveredSession& found, Timestamp now);

}  // namespace halvane::SessionReconciler
