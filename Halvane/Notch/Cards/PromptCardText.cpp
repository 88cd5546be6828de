#include "Halvane/Notch/Cards/PromptCardText.h"

#include <algorithm>

#include "Halvane/Notch/Cards/SuggestionText.h"
#include "Halvane/Sessions/AllowRules.h"
#include "Halvane/Sessions/Graphemes.h"
#include "Halvane/Sessions/SessionEvents.h"
#include "HalvaneProtocol/Injection.h"
#include "HalvaneProtocol/JsonDepth.h"

namespace halvane::PromptCardText {

namespace {

constexpr std::size_t kCommandDescriptorLength = 40;

std::optional<std::string> stringField(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) {
        return std::nullopt;
    }
    return found->get<std::string>();
}

bool nonEmptyString(const nlohmann::json& object, const char* key) {
    const auto value = stringField(object, key);
    return value && !value->empty();
}

// A multi-file edit carries its changes in "edits" rather than at the top.
bool multiEditHasContent(const nlohmann::json& input) {
    const auto edits = input.find("edits");
    if (edits == input.end() || !edits->is_array()) {
        return false;
    }
    for (const auto& edit : *edits) {
        if (edit.is_object() &&
            (nonEmptyString(edit, "old_string") || nonEmptyString(edit, "new_string"))) {
            return true;
        }
    }
    return false;
}

// What follows `folder` in `path` when the path is that folder or lies inside
// it, compared by whole folder names.
std::optional<QString> remainderUnder(const QString& path, QString folder) {
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) {
        folder.chop(1);
    }
    if (folder.isEmpty() || !path.startsWith(folder)) {
        return std::nullopt;
    }
    const QString rest = path.mid(folder.size());
    if (rest.isEmpty() || rest.startsWith(QLatin1Char('/')) || folder == QLatin1String("/")) {
        return rest;
    }
    return std::nullopt;
}

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString lowercased(const std::string& tool) {
    return fromUtf8(tool).toLower();
}

QString commandDescriptor(const nlohmann::json& input) {
    const auto command = stringField(input, "command");
    if (!command) {
        return QStringLiteral("shell");
    }
    std::string flattened = *command;
    std::replace(flattened.begin(), flattened.end(), '\n', ' ');
    if (const auto cut = Graphemes::cutPoint(flattened, kCommandDescriptorLength)) {
        return fromUtf8(flattened.substr(0, *cut)) + QStringLiteral("…");
    }
    return fromUtf8(flattened);
}

}  // namespace

nlohmann::json parseJSON(const std::optional<std::string>& text) {
    nlohmann::json parsed = parseBounded(text.value_or(std::string()));
    if (!parsed.is_object()) {
        return nlohmann::json::object();
    }
    return parsed;
}

std::optional<QString> filePath(const nlohmann::json& input) {
    const auto path = stringField(input, "file_path");
    if (!path) {
        return std::nullopt;
    }
    return fromUtf8(*path);
}

QString shortPath(const QString& path, const PathContext& context) {
    if (auto rest = remainderUnder(path, context.cwd)) {
        if (rest->startsWith(QLatin1Char('/'))) {
            rest->remove(0, 1);
        }
        return rest->isEmpty() ? QStringLiteral(".") : *rest;
    }
    if (const auto rest = remainderUnder(path, context.home)) {
        return QLatin1Char('~') + *rest;
    }
    return path;
}

QString firstLine(const QString& text) {
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (!line.isEmpty()) {
            return line;
        }
    }
    return text;
}

QStringList lineList(const QString& text) {
    if (text.isEmpty()) {
        return {};
    }
    return text.split(QLatin1Char('\n'));
}

bool hasDiffContent(const std::optional<std::string>& tool, const nlohmann::json& input) {
    if (nonEmptyString(input, "old_string") || nonEmptyString(input, "new_string")) {
        return true;
    }
    if (tool == "Write" && nonEmptyString(input, "content")) {
        return true;
    }
    return tool == "MultiEdit" && multiEditHasContent(input);
}

std::optional<QStringList> askQuestionOptions(const nlohmann::json& input) {
    const auto questions = input.find("questions");
    if (questions == input.end() || !questions->is_array() || questions->empty()) {
        return std::nullopt;
    }
    for (const auto& question : *questions) {
        if (!question.is_object()) {
            return std::nullopt;
        }
    }
    const auto options = questions->front().find("options");
    if (options == questions->front().end() || !options->is_array()) {
        return std::nullopt;
    }
    QStringList labels;
    for (const auto& option : *options) {
        if (!option.is_object()) {
            return std::nullopt;
        }
        if (const auto label = stringField(option, "label")) {
            labels.append(fromUtf8(*label));
        }
    }
    if (labels.isEmpty()) {
        return std::nullopt;
    }
    return labels;
}

std::optional<QString> askQuestionText(const nlohmann::json& input) {
    const auto questions = input.find("questions");
    if (questions == input.end() || !questions->is_array() || questions->empty() ||
        !questions->front().is_object()) {
        return std::nullopt;
    }
    const auto text = stringField(questions->front(), "question");
    if (!text || text->empty()) {
        return std::nullopt;
    }
    return fromUtf8(*text);
}

QString actionDescriptor(const std::string& tool, const nlohmann::json& input,
                         const PathContext& context) {
    const auto path = filePath(input);
    if (tool == "Edit" || tool == "MultiEdit" || tool == "Write") {
        return path ? shortPath(*path, context) : lowercased(tool);
    }
    if (tool == "Bash") {
        return commandDescriptor(input);
    }
    if (tool == "Read") {
        return path ? QStringLiteral("read ") + shortPath(*path, context) : QStringLiteral("read");
    }
    if (tool == "AskUserQuestion") {
        // The question's own short header ("Storage"), not the tool's name.
        const auto questions = input.find("questions");
        if (questions != input.end() && questions->is_array() && !questions->empty() &&
            questions->front().is_object()) {
            if (const auto header = stringField(questions->front(), "header");
                header && !header->empty()) {
                return fromUtf8(*header);
            }
        }
        return QStringLiteral("Question");
    }
    return lowercased(tool);
}

bool hasBody(const HookEvent& event) {
    if (event.message) {
        return true;
    }
    if (event.tool == "AskUserQuestion" || event.tool == "Bash") {
        return true;
    }
    if (event.toolInput && hasDiffContent(event.tool, parseJSON(event.toolInput))) {
        return true;
    }
    return event.suggestions && !event.suggestions->empty();
}

QString headerTitle(const HookEvent& event) {
    switch (event.kind) {
        case HookEvent::Kind::permissionRequest:
        case HookEvent::Kind::preToolUse:
            return QStringLiteral("Permission requested");
        case HookEvent::Kind::notification:
            if (SessionEvents::asksInTerminal(event)) {
                return QStringLiteral("Claude Code is asking in its terminal");
            }
            return event.message ? firstLine(fromUtf8(*event.message))
                                 : QStringLiteral("Notification");
        case HookEvent::Kind::stop:
            return QStringLiteral("Done");
        case HookEvent::Kind::postToolUse:
        case HookEvent::Kind::sessionStart:
        case HookEvent::Kind::sessionEnd:
        case HookEvent::Kind::userPromptSubmit:
        case HookEvent::Kind::subagentStart:
        case HookEvent::Kind::subagentStop:
            break;
    }
    return fromUtf8(SessionEvents::summarize(event));
}

QString headerSubtitle(const HookEvent& event, const std::optional<std::string>& lastModel,
                       int pendingCount, const PathContext& context) {
    QStringList parts{QStringLiteral("Claude")};
    if (lastModel) {
        parts.append(fromUtf8(*lastModel));
    }
    if (pendingCount >= 2) {
        parts.append(QString::number(pendingCount) + QStringLiteral(" actions pending"));
    } else if (event.tool && (event.kind == HookEvent::Kind::permissionRequest ||
                              event.kind == HookEvent::Kind::preToolUse)) {
        parts.append(actionDescriptor(*event.tool, parseJSON(event.toolInput), context));
    }
    return parts.join(QStringLiteral(" · "));
}

QString timeAgo(Timestamp lastEvent, Timestamp now) {
    const std::int64_t seconds =
        std::chrono::duration_cast<std::chrono::seconds>(now - lastEvent).count();
    if (seconds < 1) {
        return QStringLiteral("now");
    }
    if (seconds < 60) {
        return QString::number(seconds) + QLatin1Char('s');
    }
    if (seconds < 3600) {
        return QString::number(seconds / 60) + QLatin1Char('m');
    }
    if (seconds >= 86400) {
        return QString::number(seconds / 86400) + QLatin1Char('d');
    }
    return QString::number(seconds / 3600) + QLatin1Char('h');
}

std::vector<PromptAction> actionButtons(const HookEvent& event) {
    using Kind = PromptAction::Kind;
    using Modifier = KeyShortcut::Modifier;
    const PromptAction deny{Kind::deny, QStringLiteral("Deny"), NotchActionStyle::secondary,
                            KeyShortcut(QLatin1Char('d'))};
    if (event.kind == HookEvent::Kind::notification) {
        return {
            {Kind::jump, QStringLiteral("Jump"), NotchActionStyle::secondary,
             KeyShortcut(QLatin1Char('j'))},
            {Kind::dismiss, QStringLiteral("Dismiss"), NotchActionStyle::secondary,
             KeyShortcut(QLatin1Char('d'))},
        };
    }
    if (event.tool == "AskUserQuestion") {
        return {deny};
    }
    std::vector<PromptAction> actions{
        {Kind::approve, QStringLiteral("Approve"), NotchActionStyle::primary,
         KeyShortcut(QLatin1Char('a'))},
        deny,
    };
    // Claude Code offers to remember only what it suggests; without a
    // suggestion its own dialog has no such choice either.
    const bool asksClaudeCode = event.kind == HookEvent::Kind::permissionRequest;
    if (!asksClaudeCode || SuggestionText::describe(event.permissionSuggestions)) {
        actions.push_back({Kind::always,
                           asksClaudeCode ? SuggestionText::buttonLabel(event.permissionSuggestions)
                                          : QStringLiteral("Always"),
                           NotchActionStyle::secondary,
                           KeyShortcut(QLatin1Char('a'), {Modifier::option})});
    }
    return actions;
}

QString alwaysTooltip(const HookEvent& event) {
    if (event.kind == HookEvent::Kind::permissionRequest) {
        // Only offered with a suggestion, so there is always one to describe.
        return QStringLiteral("Yes, and ") +
               SuggestionText::describe(event.permissionSuggestions).value_or(QString());
    }
    if (const auto rule = AllowRules::allowPattern(event)) {
        if (AllowRules::isExactCommandRule(*rule)) {
            return QStringLiteral("Always allow exactly this command: ") + fromUtf8(*rule);
        }
        return QStringLiteral("Always allow ") + fromUtf8(*rule);
    }
    return QStringLiteral("This request has no rule to remember: Always only approves it");
}

std::string optionReply(int index) {
    return std::to_string(index + 1) + "\\r";
}

std::string suggestionReply(const std::string& suggestion) {
    // The suggestion is typed as written: its own backslashes and line
    // breaks must not read as escapes.
    return encodeEscapes(suggestion) + "\\r";
}

}  // namespace halvane::PromptCardText
