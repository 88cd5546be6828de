#include "HookRelay.h"

#include <sys/random.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <nlohmann/json.hpp>

#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Platform/posix/UnixSocket.h"
#include "Halvane/Terminals/TerminalDetection.h"
#include "HalvaneProtocol/Framing.h"
#include "HalvaneProtocol/JsonDepth.h"
#include "HalvaneProtocol/WireTime.h"
#include "InjectorDaemon.h"

namespace halvane {

namespace {

constexpr std::string_view neutralAnswer = "{}\n";
constexpr std::string_view deniedFallback = "Denied via Halvane";

void say(std::string_view text) {
    std::string line = "halvane-hook: ";
    line += text;
    log::error(line);
}

// Random version-4 UUID in canonical upper-case form.
std::string freshSessionId() {
    unsigned char bytes[16] = {};
    std::size_t filled = 0;
    while (filled < sizeof bytes) {
        const ssize_t got = ::getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            // Without the kernel's generator, fall back to something unique enough.
            const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
            for (std::size_t i = filled; i < sizeof bytes; ++i) {
                bytes[i] = static_cast<unsigned char>((now >> ((i % 8) * 8)) ^ ::getpid() ^ i);
            }
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0f) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3f) | 0x80);
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < sizeof bytes; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text.push_back('-');
        }
        text.push_back(hex[bytes[i] >> 4]);
        text.push_back(hex[bytes[i] & 0x0f]);
    }
    return text;
}

std::string currentDirectory() {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr) {
        return {};
    }
    return buffer;
}

std::optional<std::string> stringMember(const nlohmann::json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end() || !it->is_string()) {
        return std::nullopt;
    }
    return it->get<std::string>();
}

std::optional<HookEvent::Kind> kindForHookEventName(std::string_view name) {
    if (name == "PermissionRequest") {
        return HookEvent::Kind::permissionRequest;
    }
    if (name == "PreToolUse") {
        return HookEvent::Kind::preToolUse;
    }
    if (name == "PostToolUse" || name == "PostToolUseFailure") {
        return HookEvent::Kind::postToolUse;
    }
    if (name == "Notification") {
        return HookEvent::Kind::notification;
    }
    if (name == "Stop") {
        return HookEvent::Kind::stop;
    }
    if (name == "SessionStart") {
        return HookEvent::Kind::sessionStart;
    }
    if (name == "SessionEnd") {
        return HookEvent::Kind::sessionEnd;
    }
    if (name == "UserPromptSubmit") {
        return HookEvent::Kind::userPromptSubmit;
    }
    if (name == "SubagentStart") {
        return HookEvent::Kind::subagentStart;
    }
    if (name == "SubagentStop") {
        return HookEvent::Kind::subagentStop;
    }
    return std::nullopt;
}

std::string dumped(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

// JSON text the app sent back, or nothing when it does not parse as the
// wanted type (an answer is then given without it).
std::optional<nlohmann::json> parsedMember(const std::optional<std::string>& text,
                                           nlohmann::json::value_t type) {
    if (!text) {
        return std::nullopt;
    }
    nlohmann::json value = nlohmann::json::parse(*text, nullptr, false);
    if (value.is_discarded() || value.type() != type) {
        say("ignored an updated value that is not " +
            std::string(type == nlohmann::json::value_t::array ? "a list" : "an object"));
        return std::nullopt;
    }
    return value;
}

// Whether a stop leaves a background task or subagent running.
bool stillRunning(const nlohmann::json& payload) {
    const auto tasks = payload.find("background_tasks");
    if (tasks == payload.end() || !tasks->is_array()) {
        return false;
    }
    return std::any_of(tasks->begin(), tasks->end(), [](const nlohmann::json& task) {
        return task.is_object() && stringMember(task, "status") == "running";
    });
}

// Claude Code reads a PermissionRequest answer as the behaviour of the dialog
// it would have shown.
std::string permissionRequestAnswer(const HookDecision& decision) {
    nlohmann::json verdict = nlohmann::json::object();
    if (decision.decision == HookDecision::Decision::approve) {
        verdict["behavior"] = "allow";
        if (auto input = parsedMember(decision.updatedInput, nlohmann::json::value_t::object)) {
            verdict["updatedInput"] = std::move(*input);
        }
        if (auto rules =
                parsedMember(decision.updatedPermissions, nlohmann::json::value_t::array)) {
            verdict["updatedPermissions"] = std::move(*rules);
        }
    } else {
        verdict["behavior"] = "deny";
        verdict["message"] = decision.reason.value_or(std::string(deniedFallback));
    }
    return dumped({{"hookSpecificOutput",
                    {{"hookEventName", "PermissionRequest"}, {"decision", std::move(verdict)}}}});
}

std::string preToolUseAnswer(const HookDecision& decision) {
    nlohmann::json output = {{"hookEventName", "PreToolUse"}};
    if (decision.decision == HookDecision::Decision::approve) {
        output["permissionDecision"] = "allow";
    } else {
        output["permissionDecision"] = "deny";
        output["permissionDecisionReason"] = decision.reason.value_or(std::string(deniedFallback));
    }
    return dumped({{"hookSpecificOutput", std::move(output)}});
}

std::string answerFor(const HookEvent& event, const ExchangeResult& result) {
    if (result.error || !result.decision ||
        result.decision->decision == HookDecision::Decision::passthrough) {
        return std::string(neutralAnswer);
    }
    switch (event.kind) {
        case HookEvent::Kind::permissionRequest:
            return permissionRequestAnswer(*result.decision);
        case HookEvent::Kind::preToolUse:
            return preToolUseAnswer(*result.decision);
        case HookEvent::Kind::notification:
        case HookEvent::Kind::stop:
        case HookEvent::Kind::postToolUse:
        case HookEvent::Kind::sessionStart:
        case HookEvent::Kind::sessionEnd:
        case HookEvent::Kind::userPromptSubmit:
        case HookEvent::Kind::subagentStart:
        case HookEvent::Kind::subagentStop:
            break;
    }
    return std::string(neutralAnswer);
}

// A permission request lives as long as Claude Code waits for it: Claude
// Code ends the relay itself when the user answers in the terminal. Every
// other event is answered at once, or after the app's own time limit.
double receiveTimeout(HookEvent::Kind kind, const RelayOptions& options) {
    return kind == HookEvent::Kind::permissionRequest ? 0 : options.timeoutSeconds;
}

class Descriptor final {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

std::optional<std::string> hostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') {
        return std::nullopt;
    }
    return std::string(name);
}

RelayError posixError(int code) {
    return RelayError{code, std::strerror(code)};
}

}  // namespace

std::optional<std::string> injectDaemonSessionId(int argc, const char* const* argv) {
    if (argc < 3 || std::strcmp(argv[1], "--inject-daemon") != 0) {
        return std::nullopt;
    }
    return std::string(argv[2]);
}

ExchangeResult sendAndReceive(const HookEvent& event, const RelayOptions& options) {
    if (options.socketPath.empty()) {
        return {std::nullopt, posixError(ECONNREFUSED)};
    }
    const Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (socket.get() < 0) {
        return {std::nullopt, posixError(ECONNREFUSED)};
    }
    const sockaddr_un address = unix_socket::address(options.socketPath);
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        say("connect failed errno=" + std::to_string(errno));
        return {std::nullopt, posixError(ECONNREFUSED)};
    }
    // HALVANE_SOCKET may point anywhere, and a forwarded socket may be
    // anyone's: a listener that is not us must never see our tool calls or
    // get to approve them.
    const auto listener = unix_socket::peerUid(socket.get());
    if (!listener || *listener != ::getuid()) {
        say("connect failed errno=" + std::to_string(ECONNREFUSED));
        return {std::nullopt, posixError(ECONNREFUSED)};
    }
    say("connected");
    unix_socket::setReceiveTimeout(socket.get(), receiveTimeout(event.kind, options));

    const std::string encoded = event.encode();
    const ssize_t sent = writeMessage(socket.get(), encoded);
    say("sent " + std::to_string(sent) + "/" + std::to_string(encoded.size() + 1) + " bytes");

    const std::string reply = readMessage(socket.get());
    if (reply.empty()) {
        return {};
    }
    auto decoded = HookDecision::decode(reply);
    if (!decoded) {
        return {std::nullopt, RelayError{EINVAL, "decode error: " + decoded.error()}};
    }
    return {decoded.value(), std::nullopt};
}

RelayOutput runRelay(std::string_view input, const RelayContext& context,
                     const RelayOptions& options) {
    // Parsing or re-serialising such input would overflow the stack; it is
    // valid JSON all the same, so Claude Code gets the neutral answer.
    if (nestsDeeperThan(input)) {
        say("input nested deeper than " + std::to_string(jsonDepthLimit) + " levels");
        return {std::string(neutralAnswer), 0};
    }
    nlohmann::json payload = nlohmann::json::parse(input.begin(), input.end(), nullptr, false);
    if (payload.is_discarded() || !payload.is_object()) {
        say("invalid JSON on stdin");
        return {"", 2};
    }

    const std::string eventName = stringMember(payload, "hook_event_name").value_or("");
    const auto sessionId = stringMember(payload, "session_id");
    const auto cwd = stringMember(payload, "cwd");
    const auto tool = stringMember(payload, "tool_name");
    std::optional<std::string> toolInput;
    // Null stands for "no input"; every other value travels as compact JSON text.
    if (const auto it = payload.find("tool_input"); it != payload.end() && !it->is_null()) {
        toolInput = it->dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }
    // The one line of free text each event has.
    const auto message = eventName == "UserPromptSubmit" ? stringMember(payload, "prompt")
                         : eventName == "SessionEnd"     ? stringMember(payload, "reason")
                                                         : stringMember(payload, "message");
    std::optional<std::string> suggestions;
    if (const auto it = payload.find("permission_suggestions");
        it != payload.end() && it->is_array() && !it->empty()) {
        suggestions = it->dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }

    const auto kind = kindForHookEventName(eventName);
    if (!kind) {
        return {std::string(neutralAnswer), 0};
    }

    const DetectedTerminal terminal =
        detectTerminal(context.processes, context.parentPid, context.termProgram);
    const auto claudePid = detectClaudePid(context.processes, context.parentPid);

    HookEvent event;
    event.kind = *kind;
    event.sessionId = sessionId ? *sessionId : freshSessionId();
    event.cwd = cwd ? *cwd : currentDirectory();
    event.tool = tool;
    event.toolInput = toolInput;
    event.message = message;
    event.timestamp = wireTimestamp(std::chrono::system_clock::now());
    event.terminalId = terminal.id;
    event.terminalPid = terminal.pid;
    event.claudePid = claudePid;
    event.permissionMode = stringMember(payload, "permission_mode");
    event.permissionSuggestions = suggestions;
    event.notificationType = stringMember(payload, "notification_type");
    event.agentId = stringMember(payload, "agent_id");
    event.agentType = stringMember(payload, "agent_type");
    event.transcriptPath = stringMember(payload, "transcript_path");
    event.model = stringMember(payload, "model");
    if (*kind == HookEvent::Kind::stop) {
        event.backgroundTasks = stillRunning(payload);
    }
    event.hostName = hostName();

    if (options.spawnInjector && !options.runtimeDirectory.empty()) {
        spawnInjectorDaemonIfNeeded(options.runtimeDirectory, event.sessionId);
    }
    const ExchangeResult result = sendAndReceive(event, options);
    if (result.error) {
        say(result.error->description);
    }
    return {answerFor(event, result), 0};
}

}  // namespace halvane
