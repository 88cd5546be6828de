#include "Halvane/Sessions/SessionEvents.h"

#include <nlohmann/json.hpp>

#include "HalvaneProtocol/JsonDepth.h"

namespace halvane::SessionEvents {

namespace {

constexpr std::size_t bashSummaryLength = 60;
// Claude Code hands a finished background task back as a prompt of its own.
constexpr std::string_view machinePromptStart = "<task-notification>";

// The first count characters (code points) of UTF-8 text.
std::string prefixCharacters(const std::string& text, std::size_t count) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const bool startsCharacter = (byte & 0xC0) != 0x80;
        if (startsCharacter && characters++ == count) {
            return text.substr(0, at);
        }
    }
    return text;
}

// "/a/b/c.txt" → "c.txt"; trailing slashes are ignored, "/" stays "/".
std::string lastPathComponent(const std::string& path) {
    const std::size_t end = path.find_last_not_of('/');
    if (end == std::string::npos) {
        return path.empty() ? path : "/";
    }
    const std::size_t slash = path.rfind('/', end);
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(start, end + 1 - start);
}

std::optional<std::string> stringField(const std::optional<std::string>& toolInput,
                                       const char* key) {
    if (!toolInput) {
        return std::nullopt;
    }
    const nlohmann::json input = parseBounded(*toolInput);
    if (!input.is_object()) {
        return std::nullopt;
    }
    const auto field = input.find(key);
    if (field == input.end() || !field->is_string()) {
        return std::nullopt;
    }
    return field->get<std::string>();
}

bool ownsTool(const HookEvent& event) {
    return !event.agentId.has_value();
}

}  // namespace

std::string summarize(const HookEvent& event) {
    switch (event.kind) {
        case HookEvent::Kind::permissionRequest:
        case HookEvent::Kind::preToolUse: {
            if (!event.tool) {
                return "Permission requested";
            }
            if (*event.tool == "Bash") {
                if (const auto command = stringField(event.toolInput, "command")) {
                    return "Bash: " + prefixCharacters(*command, bashSummaryLength);
                }
            }
            if (const auto path = stringField(event.toolInput, "file_path")) {
                return *event.tool + " " + lastPathComponent(*path);
            }
            return *event.tool;
        }
        case HookEvent::Kind::notification:
            return event.message.value_or("Notification");
        case HookEvent::Kind::stop:
            return "Session ended";
        case HookEvent::Kind::postToolUse:
            return event.tool.value_or("Tool") + " finished";
        case HookEvent::Kind::sessionStart:
            return "Session started";
        case HookEvent::Kind::sessionEnd:
            return "Session closed";
        case HookEvent::Kind::userPromptSubmit:
            return event.message.value_or("Prompt");
        case HookEvent::Kind::subagentStart:
            return "Agent started";
        case HookEvent::Kind::subagentStop:
            return "Agent finished";
    }
    return {};
}

bool asksInTerminal(const HookEvent& event) {
    // agent_needs_input: auto mode could not check a call and asks instead.
    return event.kind == HookEvent::Kind::notification &&
           (event.notificationType == "permission_prompt" ||
            event.notificationType == "agent_needs_input");
}

bool recordsHistory(const HookEvent& event) {
    switch (event.kind) {
        case HookEvent::Kind::preToolUse:
            // A subagent's calls show as its count on the row, not as the session's.
            return ownsTool(event);
        case HookEvent::Kind::notification:
        case HookEvent::Kind::stop:
            return true;
        case HookEvent::Kind::permissionRequest:
        case HookEvent::Kind::postToolUse:
        case HookEvent::Kind::sessionStart:
        case HookEvent::Kind::sessionEnd:
        case HookEvent::Kind::userPromptSubmit:
        case HookEvent::Kind::subagentStart:
        case HookEvent::Kind::subagentStop:
            return false;
    }
    return false;
}

void note(Session& session, const HookEvent& event) {
    if (event.transcriptPath) {
        session.transcriptPath = event.transcriptPath;
    }
    if (event.kind == HookEvent::Kind::notification) {
        session.awaitingPrompt = session.awaitingPrompt || event.notificationType == "idle_prompt";
    } else {
        session.awaitingPrompt = false;
    }
    switch (event.kind) {
        case HookEvent::Kind::sessionStart:
            session.announced = true;
            session.runningAgents.clear();
            session.currentTool = std::nullopt;
            if (event.model) {
                session.lastModel = event.model;
            }
            return;
        case HookEvent::Kind::userPromptSubmit:
            if (event.message && !event.message->empty() &&
                !event.message->starts_with(machinePromptStart)) {
                session.lastUserMessage = event.message;
                if (!session.firstUserPrompt) {
                    session.firstUserPrompt = event.message;
                }
            }
            return;
        case HookEvent::Kind::subagentStart:
            session.runningAgents.insert(event.agentId.value_or(std::string()));
            return;
        case HookEvent::Kind::subagentStop:
            session.runningAgents.erase(event.agentId.value_or(std::string()));
            return;
        case HookEvent::Kind::preToolUse:
            if (ownsTool(event)) {
                session.currentTool = summarize(event);
            }
            return;
        case HookEvent::Kind::postToolUse:
            if (ownsTool(event)) {
                session.currentTool = std::nullopt;
            }
            return;
        case HookEvent::Kind::stop:
            session.currentTool = std::nullopt;
            return;
        case HookEvent::Kind::permissionRequest:
        case HookEvent::Kind::notification:
        case HookEvent::Kind::sessionEnd:
            return;
    }
}

bool workGoesOn(const Session& session, const HookEvent& stop) {
    return stop.backgroundTasks.value_or(false) || !session.runningAgents.empty();
}

}  // namespace halvane::SessionEvents
