#include "Halvane/Sessions/AllowRules.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <nlohmann/json.hpp>

#include "HalvaneProtocol/JsonDepth.h"

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
    const nlohmann::json input = parseBounded(*event.toolInput);
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

// Words that run the rest of their command line, or a program named in it, as
// another command: a rule "every command starting with this word" would
// approve anything at all behind them.
constexpr std::array<std::string_view, 60> runnerWords = {
    "sudo",   "doas",   "su",     "runuser",  "pkexec",   "env",     "timeout", "nice",    "ionice",
    "nohup",  "setsid", "stdbuf", "taskset",  "chrt",     "chroot",  "unshare", "nsenter", "flock",
    "time",   "watch",  "xargs",  "parallel", "exec",     "command", "builtin", "eval",    "source",
    ".",      "strace", "ltrace", "gdb",      "valgrind", "bash",    "sh",      "dash",    "zsh",
    "ksh",    "fish",   "csh",    "tcsh",     "busybox",  "python",  "python2", "python3", "node",
    "nodejs", "deno",   "bun",    "perl",     "ruby",     "php",     "lua",     "awk",     "gawk",
    "npx",    "bunx",   "pnpx",   "uvx",      "ssh",      "script",
};

// A leading NAME=value sets a variable for the real command that follows.
bool isAssignment(std::string_view word) {
    const std::size_t equals = word.find('=');
    if (equals == std::string_view::npos || equals == 0) {
        return false;
    }
    std::string_view name = word.substr(0, equals);
    if (name.ends_with('+')) {
        name.remove_suffix(1);  // NAME+=value
    }
    return !name.empty() && std::isdigit(static_cast<unsigned char>(name.front())) == 0 &&
           std::all_of(name.begin(), name.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
           });
}

// A word the shell reads exactly as written: no quotes, escapes, expansions,
// globs or blanks that would make it name another program than it seems to.
bool isPlainWord(std::string_view word) {
    return std::all_of(word.begin(), word.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
               std::string_view("/._+-,:@%").find(c) != std::string_view::npos;
    });
}

bool isRunner(std::string_view word) {
    // "/usr/bin/sudo" runs sudo too; so does "python3.12".
    const std::size_t slash = word.rfind('/');
    std::string_view name = slash == std::string_view::npos ? word : word.substr(slash + 1);
    if (const std::size_t dot = name.find('.'); dot != std::string_view::npos && dot > 0) {
        name = name.substr(0, dot);
    }
    return std::find(runnerWords.begin(), runnerWords.end(), name) != runnerWords.end();
}

std::string exactRule(std::string_view command) {
    return std::string(bashTool) + "(" + std::string(command) + ")";
}

}  // namespace

bool coversPrefix(std::string_view word) {
    // The empty word only ever matches the empty command.
    return word.empty() || (isPlainWord(word) && !isRunner(word) && !isAssignment(word));
}

bool isExactCommandRule(std::string_view rule) {
    return rule.starts_with(std::string(bashTool) + "(") && rule.ends_with(")") &&
           !rule.ends_with(prefixRuleEnd);
}

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
    const std::string word = commandWord(*command);
    if (coversPrefix(word)) {
        return std::string(bashTool) + "(" + word + std::string(prefixRuleEnd);
    }
    // Behind a runner or an assignment the real command is anything at all:
    // remember exactly this one. One ending in ":*" would read back as a
    // prefix rule, so it gets no rule.
    if (std::string_view(*command).ends_with(":*")) {
        return std::nullopt;
    }
    return exactRule(*command);
}

bool matchesAllowRule(const HookEvent& event, const std::vector<std::string>& rules) {
    if (!event.tool || rules.empty()) {
        return false;
    }
    const std::string& tool = *event.tool;
    const std::string prefix = tool + "(";
    const std::optional<std::string> command = tool == bashTool ? bashCommand(event) : std::nullopt;
    for (const std::string& rule : rules) {
        if (rule == tool) {
            return true;
        }
        if (command && isExactCommandRule(rule) && rule == exactRule(*command)) {
            return true;
        }
        const bool prefixRule = rule.size() >= prefix.size() + prefixRuleEnd.size() &&
                                rule.starts_with(prefix) && rule.ends_with(prefixRuleEnd);
        if (!prefixRule || tool != bashTool) {
            continue;
        }
        const std::string_view inner = std::string_view(rule).substr(
            prefix.size(), rule.size() - prefix.size() - prefixRuleEnd.size());
        // Such a rule may sit in the file from an older Halvane or from the
        // user; it stays there, but it approves nothing here.
        if (!coversPrefix(inner)) {
            continue;
        }
        if (command && commandWord(*command) == inner && isSingleCommand(*command)) {
            return true;
        }
    }
    return false;
}

}  // namespace halvane::AllowRules
