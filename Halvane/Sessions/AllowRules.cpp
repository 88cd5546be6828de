#include "Halvane/Sessions/AllowRules.h"

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>

namespace halvane::AllowRules {

namespace {

constexpr std::string_view bashTool = "Bash";
constexpr std::string_view prefixRuleEnd = ":*)";

// The "command" string of a Bash tool input, when the input is a JSON object
// that has one.
std::optional<std::string> bashCommand(const HookEvent& event) {
    if (!event.toolInput) {
        return std::nullopt;
    }
    const nlohmann::json input = nlohmann::json::parse(*event.toolInput, nullptr, false);
    if (!input.is_object()) {
        return std::nullopt;
    }
    const auto command = input.find("command");
    if (command == input.end() || !command->is_string()) {
        return std::nullopt;
    }
    return command->get<std::string>();
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Characters that end an unquoted word in the shell.
bool endsWord(char c) {
    return isBlank(c) || c == '\n' || c == ';' || c == '&' || c == '|' || c == '<' || c == '>' ||
           c == '(' || c == ')';
}

// The raw text of the word after a redirection operator, quotes included.
std::string_view readTarget(std::string_view command, std::size_t& at) {
    while (at < command.size() && isBlank(command[at])) {
        ++at;
    }
    const std::size_t start = at;
    while (at < command.size() && !endsWord(command[at])) {
        ++at;
    }
    return command.substr(start, at - start);
}

bool isNullDevice(std::string_view target) {
    return target == "/dev/null" || target == "'/dev/null'" || target == "\"/dev/null\"";
}

// "1", "2-", "-": a descriptor to duplicate, move or close; nothing is written.
bool isDescriptor(std::string_view target) {
    if (target == "-") {
        return true;
    }
    if (target.ends_with('-')) {
        target.remove_suffix(1);
    }
    return !target.empty() && std::all_of(target.begin(), target.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// Reads the redirection starting at command[at] ('<' or '>'); false when it
// could write to a file or run something.
bool harmlessRedirection(std::string_view command, std::size_t& at) {
    const char op = command[at];
    const char next = at + 1 < command.size() ? command[at + 1] : '\0';
    if (next == '(') {
        return false;  // process substitution
    }
    if (op == '<') {
        if (next == '>') {
            return false;  // opens read-write, creating the file
        }
        if (next == '&') {
            at += 2;
            return isDescriptor(readTarget(command, at));
        }
        // Input, here-document or here-string: reads only.
        ++at;
        return true;
    }
    if (next == '&') {
        at += 2;
        const std::string_view target = readTarget(command, at);
        return isDescriptor(target) || isNullDevice(target);
    }
    at += (next == '>' || next == '|') ? 2 : 1;
    return isNullDevice(readTarget(command, at));
}

}  // namespace

std::string commandWord(std::string_view command) {
    const std::size_t start = command.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        return std::string(command);
    }
    const std::size_t end = command.find(' ', start);
    return std::string(command.substr(start, end == std::string_view::npos ? end : end - start));
}

bool isSingleCommand(std::string_view command) {
    enum class Quote { none, single, ansiC, twice };
    Quote quote = Quote::none;
    std::size_t at = 0;
    while (at < command.size()) {
        const char c = command[at];
        const char next = at + 1 < command.size() ? command[at + 1] : '\0';
        switch (quote) {
            case Quote::single:
                quote = c == '\'' ? Quote::none : quote;
                ++at;
                continue;
            case Quote::ansiC:
                if (c == '\\') {
                    at += 2;
                    continue;
                }
                quote = c == '\'' ? Quote::none : quote;
                ++at;
                continue;
            case Quote::twice:
                // Double quotes still run command substitutions.
                if (c == '`' || (c == '$' && next == '(')) {
                    return false;
                }
                if (c == '\\') {
                    at += 2;
                    continue;
                }
                quote = c == '"' ? Quote::none : quote;
                ++at;
                continue;
            case Quote::none:
                break;
        }
        switch (c) {
            case '\\':
                // A trailing backslash or a continued line is not read with certainty.
                if (next == '\0' || next == '\n') {
                    return false;
                }
                at += 2;
                continue;
            case '\'':
                quote = Quote::single;
                break;
            case '"':
                quote = Quote::twice;
                break;
            case '$':
                if (next == '(') {
                    return false;
                }
                if (next == '\'') {
                    quote = Quote::ansiC;
                    ++at;
                }
                break;
            case '&':
                if (next != '>') {
                    return false;  // "&&" or a background job
                }
                // "&>" and "&>>" send both streams to the target.
                at += (at + 2 < command.size() && command[at + 2] == '>') ? 3 : 2;
                if (!isNullDevice(readTarget(command, at))) {
                    return false;
                }
                continue;
            case '<':
            case '>':
                if (!harmlessRedirection(command, at)) {
                    return false;
                }
                continue;
            case ';':
            case '|':
            case '\n':
            case '`':
            case '(':
            case ')':
                return false;
            default:
                break;
        }
        ++at;
    }
    return quote == Quote::none;
}

std::optional<std::string> allowPattern(const HookEvent& event) {
    if (!event.tool) {
        return std::nullopt;
    }
    if (*event.tool != bashTool) {
        return *event.tool;
    }
    const std::optional<std::string> command = bashCommand(event);
    if (!command) {
        return std::string(bashTool);
    }
    return std::string(bashTool) + "(" + commandWord(*command) + std::string(prefixRuleEnd);
}

bool matchesAllowRule(const HookEvent& event, const std::vector<std::string>& rules) {
    if (!event.tool || rules.empty()) {
        return false;
    }
    const std::string& tool = *event.tool;
    const std::string prefix = tool + "(";
    for (const std::string& rule : rules) {
        if (rule == tool) {
            return true;
        }
        const bool prefixRule = rule.size() >= prefix.size() + prefixRuleEnd.size() &&
                                rule.starts_with(prefix) && rule.ends_with(prefixRuleEnd);
        if (!prefixRule || tool != bashTool) {
            continue;
        }
        const std::string_view inner = std::string_view(rule).substr(
            prefix.size(), rule.size() - prefix.size() - prefixRuleEnd.size());
        const std::optional<std::string> command = bashCommand(event);
        if (command && commandWord(*command) == inner && isSingleCommand(*command)) {
            return true;
        }
    }
    return false;
}

}  // namespace halvane::AllowRules
