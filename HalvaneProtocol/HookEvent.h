#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DecodeResult.h"

namespace halvane {

// One hook event as the relay sends it to the application.
struct HookEvent {
    // permissionRequest: Claude Code is about to ask the user; preToolUse: a
    // tool is about to run (asked about only when the user wants every call
    // shown); postToolUse: a tool ran (or failed). The rest follow a
    // session's life and are never asked about.
    enum class Kind {
        permissionRequest,
        notification,
        stop,
        preToolUse,
        postToolUse,
        sessionStart,
        sessionEnd,
        userPromptSubmit,
        subagentStart,
        subagentStop,
    };

    Kind kind = Kind::notification;
    std::string sessionId;
    std::string cwd;
    std::optional<std::string> tool = std::nullopt;
    std::optional<std::string> toolInput = std::nullopt;
    // Free text: a notification's message, a prompt the user sent, or why a
    // session ended.
    std::optional<std::string> message = std::nullopt;
    // Seconds since 2001-01-01 00:00:00 UTC, the wire's epoch.
    double timestamp = 0;
    std::optional<std::string> terminalId = std::nullopt;
    std::optional<std::int32_t> terminalPid = std::nullopt;
    std::optional<std::vector<std::string>> suggestions = std::nullopt;
    std::optional<std::int32_t> claudePid = std::nullopt;
    // Claude Code's permission mode ("default", "acceptEdits", "plan", ...).
    std::optional<std::string> permissionMode = std::nullopt;
    // What Claude Code would remember if the user chose "don't ask again":
    // its permission_suggestions as compact JSON text, passed back verbatim.
    std::optional<std::string> permissionSuggestions = std::nullopt;
    // A notification's type, e.g. "permission_prompt" or "idle_prompt".
    std::optional<std::string> notificationType = std::nullopt;
    // Set on what a subagent does, and on its start and stop.
    std::optional<std::string> agentId = std::nullopt;
    std::optional<std::string> agentType = std::nullopt;
    std::optional<std::string> transcriptPath = std::nullopt;
    // The model a session starts with.
    std::optional<std::string> model = std::nullopt;
    // With a stop: whether a background task or subagent still runs, so the
    // session's work is not over.
    std::optional<bool> backgroundTasks = std::nullopt;
    // The name of the machine the relay ran on. A relay cannot tell whether
    // it reaches the app through an ssh forward, so it always says; the app
    // compares it with its own.
    std::optional<std::string> hostName = std::nullopt;

    bool operator==(const HookEvent&) const = default;

    // Compact JSON without a raw line feed; absent optionals are omitted.
    std::string encode() const;
    static DecodeResult<HookEvent> decode(std::string_view json);
};

std::string_view wireName(HookEvent::Kind kind);
std::optional<HookEvent::Kind> hookEventKindFromWire(std::string_view raw);

}  // namespace halvane
