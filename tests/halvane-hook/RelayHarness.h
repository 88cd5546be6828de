#pragma once

#include <string>
#include <vector>

#include "ChildProcess.h"
#include "HalvaneProtocol/HookEvent.h"

namespace halvane::test {

inline std::string preToolUse(const std::string& extra = "") {
    return R"({"hook_event_name":"PreToolUse","session_id":"sess-1","cwd":"/work/app",)"
           R"("tool_name":"Bash","tool_input":{"command":"ls -la","nested":[[1,2],{"a":null}]})" +
           extra + "}";
}

inline const std::string permissionSuggestions =
    R"([{"type":"addRules","rules":[{"toolName":"Bash","ruleContent":"ls *"}],)"
    R"("behavior":"allow","destination":"localSettings"}])";

// Claude Code's question before it shows its own permission dialog.
inline std::string permissionRequest(const std::string& extra = "") {
    return R"({"hook_event_name":"PermissionRequest","session_id":"sess-1","cwd":"/work/app",)"
           R"("permission_mode":"default","permission_suggestions":)" +
           permissionSuggestions +
           R"(,"tool_name":"Bash","tool_input":{"command":"ls -la","nested":[[1,2],{"a":null}]})" +
           extra + "}";
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find('\n', start);
        result.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return result;
}

inline HookEvent decodedRequest(const std::string& line) {
    const auto decoded = HookEvent::decode(line);
    if (!decoded) {
        ADD_FAILURE() << "request did not decode: " << decoded.error() << "\n" << line;
        return {};
    }
    return decoded.value();
}

}  // namespace halvane::test
