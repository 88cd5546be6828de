#include "Halvane/Notch/Cards/PromptCodeLines.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "Halvane/Notch/Cards/PromptCardText.h"
#include "Halvane/Theme/NotchPalette.h"
#include "HalvaneProtocol/Utf8.h"

namespace halvane::PromptCodeLines {

namespace {

std::string stringField(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

std::optional<std::string> optionalString(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) {
        return std::nullopt;
    }
    return found->get<std::string>();
}

std::optional<std::string> readSmallRegularFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > kLineNumberFileLimit) {
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::string contents((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        return std::nullopt;
    }
    return contents;
}

void appendLines(std::vector<DiffLine>& lines, const std::string& text, int start,
                 const QString& marker, const QColor& color) {
    const QStringList pieces = PromptCardText::lineList(QString::fromStdString(text));
    for (int index = 0; index < pieces.size(); ++index) {
        lines.push_back({start + index, marker, color, pieces[index], color});
    }
}

// One edit: removed lines, then added lines, both from where it applies.
void appendEdit(std::vector<DiffLine>& lines, const std::optional<std::string>& path,
                const std::string& oldText, const std::string& newText, const std::string& cwd) {
    const int start = startLine(path, oldText.empty() ? newText : oldText, cwd);
    appendLines(lines, oldText, start, QStringLiteral("−"), NotchPalette::systemRed());
    appendLines(lines, newText, start, QStringLiteral("+"), NotchPalette::systemGreen());
}

}  // namespace

int startLine(const std::optional<std::string>& path, const std::string& searchText,
              const std::string& cwd) {
    if (!path || path->empty() || searchText.empty()) {
        return 1;
    }
    std::filesystem::path file(*path);
    if (file.is_relative() && !cwd.empty()) {
        file = std::filesystem::path(cwd) / file;
    }
    const auto contents = readSmallRegularFile(file);
    if (!contents || !isValidUtf8(*contents)) {
        return 1;
    }
    const auto found = contents->find(searchText);
    if (found == std::string::npos) {
        return 1;
    }
    const auto before = contents->begin() + static_cast<std::ptrdiff_t>(found);
    return 1 + static_cast<int>(std::count(contents->begin(), before, '\n'));
}

std::vector<DiffLine> commandLines(const nlohmann::json& input) {
    std::vector<DiffLine> lines;
    const QStringList pieces =
        PromptCardText::lineList(QString::fromStdString(stringField(input, "command")));
    for (int index = 0; index < pieces.size(); ++index) {
        lines.push_back(
            {index + 1, QStringLiteral("$"), NotchPalette::accent(), pieces[index], std::nullopt});
    }
    return lines;
}

std::optional<QString> commandDescription(const nlohmann::json& input) {
    const auto description = optionalString(input, "description");
    if (!description || description->empty()) {
        return std::nullopt;
    }
    return QString::fromStdString(*description);
}

std::vector<DiffLine> diffLines(const std::string& tool, const nlohmann::json& input,
                                const std::string& cwd) {
    std::vector<DiffLine> lines;
    const auto path = optionalString(input, "file_path");
    const std::string oldText = stringField(input, "old_string");
    const std::string newText =
        tool == "Write" ? stringField(input, "content") : stringField(input, "new_string");
    if (!oldText.empty() || !newText.empty() || tool != "MultiEdit") {
        appendEdit(lines, path, oldText, newText, cwd);
        return lines;
    }
    const auto edits = input.find("edits");
    if (edits == input.end() || !edits->is_array()) {
        return lines;
    }
    for (const auto& edit : *edits) {
        if (edit.is_object()) {
            appendEdit(lines, path, stringField(edit, "old_string"),
                       stringField(edit, "new_string"), cwd);
        }
    }
    return lines;
}

DiffLine pathLine(const QString& shortPath) {
    return {std::nullopt, QString(), NotchPalette::dimText(), shortPath, std::nullopt};
}

}  // namespace halvane::PromptCodeLines
