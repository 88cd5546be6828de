#pragma once

#include <QString>

#include <optional>
#include <string>

#include "Halvane/Notch/SessionList/SessionUIStatus.h"
#include "Halvane/Sessions/Clock.h"
#include "Halvane/Sessions/Session.h"
#include "Halvane/Theme/Icon.h"

// The texts and choices of the session list, as plain functions of the
// session model so they can be checked without drawing anything.
namespace halvane::SessionListText {

// "2 working", "3 sessions", "1 waiting · 2 working", "1 waiting for input".
QString subtitle(int pending, int working, int total);

// How long ago the session last did something: "now", "5m", "3h", "2d".
QString timeAgo(Timestamp lastEvent, Timestamp now);

// The state a row shows; a waiting prompt outranks work, work outranks a
// fresh finish.
SessionUIStatus uiStatus(const Session& session);

// The last folder of the working directory, or the whole path when it has none.
QString projectName(const std::string& cwd);

// The latest thing the user asked, else the first; none when neither exists.
// The project's name, and the subagents working for the session ("app · 2 agents").
QString rowTitle(const Session& session);

std::optional<QString> activityPreview(const Session& session);

// The name of the terminal that hosts the session; none when unknown.
std::optional<QString> terminalLabel(const std::optional<std::string>& terminalId);
Icon terminalIcon(const std::optional<std::string>& terminalId);

// The row's tooltip.
QString helpText(bool expanded, const QString& projectName, const std::optional<QString>& label);

}  // namespace halvane::SessionListText
