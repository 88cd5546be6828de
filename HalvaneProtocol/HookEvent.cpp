#include "HookEvent.h"

#include "JsonFields.h"

namespace halvane {

using namespace json_fields;

std::string_view wireName(HookEvent::Kind kind) {
    switch (kind) {
        case HookEvent::Kind::permissionRequest:
            return "permissionRequest";
        case HookEvent::Kind::notification:
            return "notification";
        case HookEvent::Kind::stop:
            return "stop";
        case HookEvent::Kind::preToolUse:
            return "preToolUse";
        case HookEvent::Kind::postToolUse:
            return "postToolUse";
        case HookEvent::Kind::sessionStart:
            return "sessionStart";
        case HookEvent::Kind::sessionEnd:
            return "sessionEnd";
        case HookEvent::Kind::userPromptSubmit:
            return "userPromptSubmit";
        case HookEvent::Kind::subagentStart:
            return "subagentStart";
        case HookEvent::Kind::subagentStop:
            return "subagentStop";
    }
    return "notification";
}

std::optional<HookEvent::Kind> hookEventKindFromWire(std::string_view raw) {
    for (auto kind :
         {HookEvent::Kind::permissionRequest, HookEvent::Kind::notification, HookEvent::Kind::stop,
          HookEvent::Kind::preToolUse, HookEvent::Kind::postToolUse, HookEvent::Kind::sessionStart,
          HookEvent::Kind::sessionEnd, HookEvent::Kind::userPromptSubmit,
          HookEvent::Kind::subagentStart, HookEvent::Kind::subagentStop}) {
        if (wireName(kind) == raw) {
            return kind;
        }
    }
    return std::nullopt;
}

std::string HookEvent::encode() const {
    nlohmann::json object = nlohmann::json::object();
    object["kind"] = wireName(kind);
    object["sessionId"] = sessionId;
    object["cwd"] = cwd;
    object["timestamp"] = timestamp;
    auto put = [&object](const char* key, const auto& optional) {
        if (optional) {
            object[key] = *optional;
        }
    };
    put("tool", tool);
    put("toolInput", toolInput);
    put("message", message);
    put("terminalBundleId", terminalId);
    put("terminalPid", terminalPid);
    put("suggestions", suggestions);
    put("claudePid", claudePid);
    put("permissionMode", permissionMode);
    put("permissionSuggestions", permissionSuggestions);
    put("notificationType", notificationType);
    put("agentId", agentId);
    put("agentType", agentType);
    put("transcriptPath", transcriptPath);
    put("model", model);
    put("backgroundTasks", backgroundTasks);
    put("hostName", hostName);
    return dumpCompact(object);
}

DecodeResult<HookEvent> HookEvent::decode(std::string_view json) {
    try {
        const nlohmann::json object = parseObject(json);
        HookEvent event;
        const std::string kindRaw = requireString(object, "kind");
        const auto decodedKind = hookEventKindFromWire(kindRaw);
        if (!decodedKind) {
            throw FieldError("\"kind\" has no case named \"" + kindRaw + "\"");
        }
        event.kind = *decodedKind;
        event.sessionId = requireString(object, "sessionId");
        event.cwd = requireString(object, "cwd");
        event.tool = optionalString(object, "tool");
        event.toolInput = optionalString(object, "toolInput");
        event.message = optionalString(object, "message");
        event.timestamp = requireNumber(object, "timestamp");
        event.terminalId = optionalString(object, "terminalBundleId");
        event.terminalPid = optionalInt32(object, "terminalPid");
        event.suggestions = optionalStringList(object, "suggestions");
        event.claudePid = optionalInt32(object, "claudePid");
        event.permissionMode = optionalString(object, "permissionMode");
        event.permissionSuggestions = optionalString(object, "permissionSuggestions");
        event.notificationType = optionalString(object, "notificationType");
        event.agentId = optionalString(object, "agentId");
        event.agentType = optionalString(object, "agentType");
        event.transcriptPath = optionalString(object, "transcriptPath");
        event.model = optionalString(object, "model");
        event.backgroundTasks = optionalBool(object, "backgroundTasks");
        event.hostName = optionalString(object, "hostName");
        return event;
    } catch (const FieldError& error) {
        return DecodeResult<HookEvent>::failure(error.what());
    }
}

}  // namespace halvane
