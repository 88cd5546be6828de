#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "HalvaneProtocol/HookEvent.h"

namespace halvane::AllowRules {

// Rules are the strings of Claude Code's "permissions" → "allow" list. Three
// forms mean something here: a bare tool name ("Edit", "Bash") covers every
// request for that tool; "Bash(<word>:*)" covers a Bash command whose first
// word is <word> and that runs nothing else (see isSingleCommand), unless the
// word runs its arguments as a command or assigns a variable (coversPrefix);
// "Bash(<command>)" covers exactly that command. Any other string never
// matches.

// The rule "Always" stores for this request; none when the event names no tool.
std::optional<std::string> allowPattern(const HookEvent& event);

// True when a rule covers the request, so it is approved without asking.
bool matchesAllowRule(const HookEvent& event, const std::vector<std::string>& rules);

// True when "Bash(<word>:*)" may cover commands: false for a word that runs
// the rest of the line as another command (sudo, env, xargs, bash, python3…),
// a variable assignment, or a word the shell would not read as written.
bool coversPrefix(std::string_view word);

// "Bash(<command>)": the rule "Always" stores when no prefix rule is safe.
bool isExactCommandRule(std::string_view rule);

// The first piece of the command split on U+0020 (runs of spaces count as one,
// empty pieces are dropped); the whole command when there is no piece.
std::string commandWord(std::string_view command);

// True when the command is one simple command: no list, pipeline or background
// operator, no line break, no command or process substitution, and no
// redirection that writes to a file (descriptor duplications and /dev/null are
// fine). Anything it cannot read with certainty counts as not single.
bool isSingleCommand(std::string_view command);

}  // namespace halvane::AllowRules
