#include "Halvane/Notch/Cards/SuggestionText.h"

#include <QStringList>
#include <nlohmann/json.hpp>

namespace halvane::SuggestionText {

namespace {

using nlohmann::json;

QString stringOf(const json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string()
               ? QString::fromStdString(found->get<std::string>())
               : QString();
}

QString quoted(const QString& text) {
    return QLatin1Char('`') + text + QLatin1Char('`');
}

// Where a remembered rule applies, as the destination names it.
QString scope(const json& suggestion) {
    const QString destination = stringOf(suggestion, "destination");
    if (destination == QLatin1String("localSettings") ||
        destination == QLatin1String("projectSettings")) {
        return QStringLiteral("in this project");
    }
    if (destination == QLatin1String("userSettings")) {
        return QStringLiteral("in every project");
    }
    return QStringLiteral("during this session");
}

QString describeRule(const json& rule, const QString& where) {
    const QString tool = stringOf(rule, "toolName");
    const QString content = stringOf(rule, "ruleContent");
    if (content.isEmpty()) {
        return QStringLiteral("don't ask again for %1 %2").arg(tool, where);
    }
    if (tool == QLatin1String("Bash")) {
        return QStringLiteral("don't ask again for %1 commands %2").arg(quoted(content), where);
    }
    if (tool == QLatin1String("Read")) {
        return QStringLiteral("allow reading from %1 %2").arg(quoted(content), where);
    }
    if (tool == QLatin1String("Edit") || tool == QLatin1String("Write")) {
        return QStringLiteral("allow edits of %1 %2").arg(quoted(content), where);
    }
    return QStringLiteral("don't ask again for %1(%2) %3").arg(tool, content, where);
}

QString describeOne(const json& suggestion) {
    if (!suggestion.is_object()) {
        return {};
    }
    const QString type = stringOf(suggestion, "type");
    const QString where = scope(suggestion);
    if (type == QLatin1String("addRules") || type == QLatin1String("replaceRules")) {
        const auto rules = suggestion.find("rules");
        if (rules == suggestion.end() || !rules->is_array()) {
            return {};
        }
        QStringList parts;
        for (const json& rule : *rules) {
            if (rule.is_object()) {
                parts.append(describeRule(rule, where));
            }
        }
        return parts.join(QStringLiteral(" and "));
    }
    if (type == QLatin1String("setMode")) {
        const QString mode = stringOf(suggestion, "mode");
        if (mode == QLatin1String("acceptEdits")) {
            return QStringLiteral("allow all edits %1").arg(where);
        }
        return QStringLiteral("switch to %1 mode %2").arg(mode, where);
    }
    if (type == QLatin1String("addDirectories")) {
        const auto directories = suggestion.find("directories");
        QStringList names;
        if (directories != suggestion.end() && directories->is_array()) {
            for (const json& directory : *directories) {
                if (directory.is_string()) {
                    names.append(quoted(QString::fromStdString(directory.get<std::string>())));
                }
            }
        }
        return QStringLiteral("allow access to %1 %2").arg(names.join(QStringLiteral(", ")), where);
    }
    // A kind this version does not know: say that much rather than nothing.
    return QStringLiteral("change Claude Code's permissions (%1) %2").arg(type, where);
}

std::optional<json> parsed(const std::optional<std::string>& suggestions) {
    if (!suggestions) {
        return std::nullopt;
    }
    json list = json::parse(*suggestions, nullptr, false);
    if (!list.is_array() || list.empty()) {
        return std::nullopt;
    }
    return list;
}

}  // namespace

std::optional<QString> describe(const std::optional<std::string>& suggestions) {
    const auto list = parsed(suggestions);
    if (!list) {
        return std::nullopt;
    }
    QStringList parts;
    for (const json& suggestion : *list) {
        if (const QString text = describeOne(suggestion); !text.isEmpty()) {
            parts.append(text);
        }
    }
    if (parts.isEmpty()) {
        return std::nullopt;
    }
    return parts.join(QStringLiteral("; "));
}

QString buttonLabel(const std::optional<std::string>& suggestions) {
    if (const auto list = parsed(suggestions); list && list->size() == 1) {
        const json& only = list->front();
        if (only.is_object() && stringOf(only, "type") == QLatin1String("setMode") &&
            stringOf(only, "mode") == QLatin1String("acceptEdits")) {
            return QStringLiteral("Allow all edits");
        }
    }
    return QStringLiteral("Always");
}

}  // namespace halvane::SuggestionText
