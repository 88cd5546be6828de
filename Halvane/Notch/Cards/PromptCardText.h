#pragma once

#include <QString>
#include <QStringList>

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "Halvane/Notch/Cards/PromptAction.h"
#include "Halvane/Sessions/Clock.h"
#include "HalvaneProtocol/HookEvent.h"

// The texts and choices of the permission prompt card, as plain functions of
// the prompt so they can be checked without drawing anything. Tool inputs are
// Claude Code's own JSON ("command", "file_path", "old_string", …).
namespace halvane::PromptCardText {

// Where paths are shortened relative to: the session's folder and the home folder.
struct PathContext {
    QString cwd;
    QString home;
};

// The tool input as a JSON object; an empty object for anything else.
nlohmann::json parseJSON(const std::optional<std::string>& text);

// The input's "file_path" when it is a string.
std::optional<QString> filePath(const nlohmann::json& input);

// "." for the session's folder, a relative path inside it, "~/…" inside the
// home folder, anything else unchanged. Only whole folder names match.
QString shortPath(const QString& path, const PathContext& context);

// The first non-empty line; the text itself when every line is empty.
QString firstLine(const QString& text);

// The text's lines, empty ones kept; no lines at all for an empty text.
QStringList lineList(const QString& text);

// Whether the input carries text to show as a diff.
bool hasDiffContent(const std::optional<std::string>& tool, const nlohmann::json& input);

// The option labels of the first question an AskUserQuestion input asks;
// none when the input is not shaped like one or offers no labels.
std::optional<QStringList> askQuestionOptions(const nlohmann::json& input);

// The first question's own text, for the card to show above its options.
std::optional<QString> askQuestionText(const nlohmann::json& input);

// A short phrase for what the tool is about to do ("src/app.ts", "git status").
QString actionDescriptor(const std::string& tool, const nlohmann::json& input,
                         const PathContext& context);

// Whether the card has anything to show between its header and its buttons.
bool hasBody(const HookEvent& event);

QString headerTitle(const HookEvent& event);
// "Claude · <model> · <descriptor>", or the number of actions pending.
QString headerSubtitle(const HookEvent& event, const std::optional<std::string>& lastModel,
                       int pendingCount, const PathContext& context);

// "now", "12s", "5m", "3h", "2d".
QString timeAgo(Timestamp lastEvent, Timestamp now);

// The action row, left to right.
std::vector<PromptAction> actionButtons(const HookEvent& event);

// What "Always" will do: the rule it stores, or that it can only approve.
QString alwaysTooltip(const HookEvent& event);

// What the injector types for the option at `index` (from 0) and for a
// suggestion: the answer and an escaped carriage return.
std::string optionReply(int index);
std::string suggestionReply(const std::string& suggestion);

}  // namespace halvane::PromptCardText
