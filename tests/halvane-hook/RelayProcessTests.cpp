#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <regex>
#include <utility>

#include "Halvane/Platform/posix/UnixSocket.h"
#include "HalvaneProtocol/Framing.h"
#include "HalvaneProtocol/HookEvent.h"
#include "HalvaneProtocol/WireTime.h"
#include "MissingService.h"
#include "RelayHarness.h"
#include "ScriptedServer.h"
#include "TempDir.h"

using namespace halvane::test;
using Reply = ScriptedServer::Reply;

namespace {

class RelayProcess : public ::testing::Test {
protected:
    std::string socketPath() const { return (m_dir / "h.sock").string(); }

    ChildResult relay(const std::string& input, ChildOptions options = {},
                      std::vector<std::string> extraArguments = {}) {
        options.standardInput = input;
        options.environment.emplace("HALVANE_TEST_SOCKET", socketPath());
        options.environment.emplace("HALVANE_TEST_TIMEOUT", "0.5");
        std::vector<std::string> argv{binaryDirectory() + "/relay-test-driver"};
        argv.insert(argv.end(), extraArguments.begin(), extraArguments.end());
        return runChild(argv, options);
    }

    TempDir m_dir{"relay"};
};

// Runs the real relay with a terminal on its standard input, as a person
// trying it by hand would; what it wrote to standard error, and its status
// (or nothing when it was still running after `limit`).
std::pair<std::string, std::optional<int>> relayAtATerminal(std::chrono::milliseconds limit) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        return {"no pseudo-terminal", std::nullopt};
    }
    const std::string terminal = ::ptsname(master);
    int errors[2];
    if (::pipe2(errors, O_CLOEXEC) != 0) {
        return {"no pipe", std::nullopt};
    }
    const std::string program = binaryDirectory() + "/halvane-hook";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int input = ::open(terminal.c_str(), O_RDWR | O_NOCTTY);
        ::dup2(input, STDIN_FILENO);
        ::dup2(errors[1], STDERR_FILENO);
        ::execl(program.c_str(), "halvane-hook", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(errors[1]);
    std::string text;
    std::optional<int> status;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd readable{errors[0], POLLIN, 0};
        if (::poll(&readable, 1, 50) > 0) {
            char buffer[512];
            const ssize_t count = ::read(errors[0], buffer, sizeof buffer);
            if (count > 0) {
                text.append(buffer, static_cast<std::size_t>(count));
            }
        }
        int raw = 0;
        if (::waitpid(pid, &raw, WNOHANG) == pid) {
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
            break;
        }
    }
    if (!status) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    ::close(errors[0]);
    ::close(master);
    return {text, status};
}

}  // namespace

TEST_F(RelayProcess, HelpAndVersionAnswerAtOnceAndATerminalGetsTheUsage) {
    const std::string program = binaryDirectory() + "/halvane-hook";
    const auto help = runChild({program, "--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.standardOutput.rfind("Usage: halvane-hook", 0), 0u) << help.standardOutput;
    const auto version = runChild({program, "--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_TRUE(std::regex_match(version.standardOutput,
                                 std::regex("halvane-hook [0-9]+\\.[0-9]+\\.[0-9]+\n")))
        << version.standardOutput;

    // Nobody types hook JSON by hand: a terminal gets the usage, not a wait.
    const auto [usage, status] = relayAtATerminal(std::chrono::seconds(10));
    ASSERT_TRUE(status.has_value()) << "still waiting for input at a terminal";
    EXPECT_EQ(*status, 2);
    EXPECT_EQ(usage.rfind("Usage: halvane-hook", 0), 0u) << usage;
}

TEST_F(RelayProcess, ApproveIsPrintedForAPermissionRequest) {
    ScriptedServer server(socketPath(), Reply::line, R"({"decision":"approve"})");
    ASSERT_TRUE(server.listening());
    const auto result = relay(permissionRequest());
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, R"({"hookSpecificOutput":{"decision":{"behavior":"allow"},)"
                                     R"("hookEventName":"PermissionRequest"}})"
                                     "\n");

    const auto errors = lines(result.standardError);
    ASSERT_EQ(errors.size(), 2u) << result.standardError;
    EXPECT_EQ(errors[0], "halvane-hook: connected");
    ASSERT_EQ(server.requests().size(), 1u);
    const std::string bytes = std::to_string(server.requests()[0].size() + 1);
    EXPECT_EQ(errors[1], "halvane-hook: sent " + bytes + "/" + bytes + " bytes");
}

TEST_F(RelayProcess, AnswersEachEventInTheFormClaudeCodeReadsForIt) {
    using nlohmann::json;
    struct Case {
        const char* name;
        std::string input;
        std::string reply;
        json expected;
    };
    const auto allow = [](json decision) {
        decision["behavior"] = "allow";
        return json{{"hookSpecificOutput",
                     {{"hookEventName", "PermissionRequest"}, {"decision", decision}}}};
    };
    const auto refuse = [](const std::string& message) {
        return json{{"hookSpecificOutput",
                     {{"hookEventName", "PermissionRequest"},
                      {"decision", {{"behavior", "deny"}, {"message", message}}}}}};
    };
    const auto before = [](const std::string& verdict, std::optional<std::string> reason) {
        json output{{"hookEventName", "PreToolUse"}, {"permissionDecision", verdict}};
        if (reason) {
            output["permissionDecisionReason"] = *reason;
        }
        return json{{"hookSpecificOutput", output}};
    };
    const json rules = json::parse(
        R"([{"type":"addRules","rules":[{"toolName":"Bash","ruleContent":"npm run *"}],)"
        R"("behavior":"allow","destination":"localSettings"}])");
    const json none = json::object();
    const std::string notification =
        R"({"hook_event_name":"Notification","session_id":"s","message":"Waiting"})";
    const std::string ran = R"({"hook_event_name":"PostToolUse","session_id":"s"})";
    for (const Case& c : {
             Case{"request approved", permissionRequest(), R"({"decision":"approve"})",
                  allow(json::object())},
             Case{"request approved with answers and rules", permissionRequest(),
                  json{{"decision", "approve"},
                       {"updatedInput", R"({"answers":{"Which?":"A, B"},"questions":[]})"},
                       {"updatedPermissions", rules.dump()}}
                      .dump(),
                  allow({{"updatedInput",
                          {{"answers", {{"Which?", "A, B"}}}, {"questions", json::array()}}},
                         {"updatedPermissions", rules}})},
             Case{"updated values of the wrong shape are left out", permissionRequest(),
                  R"({"decision":"approve","updatedInput":"[1]","updatedPermissions":"{"})",
                  allow(json::object())},
             Case{"request denied", permissionRequest(),
                  R"({"decision":"deny","reason":"Not in prod"})", refuse("Not in prod")},
             Case{"request denied without a reason", permissionRequest(), R"({"decision":"deny"})",
                  refuse("Denied via Halvane")},
             Case{"request denied with an empty reason", permissionRequest(),
                  R"({"decision":"deny","reason":""})", refuse("")},
             Case{"request left to the terminal", permissionRequest(),
                  R"({"decision":"passthrough"})", none},
             Case{"call approved before it runs", preToolUse(), R"({"decision":"approve"})",
                  before("allow", std::nullopt)},
             Case{"call denied before it runs", preToolUse(),
                  R"({"decision":"deny","reason":"Not in prod"})", before("deny", "Not in prod")},
             Case{"call left to Claude Code", preToolUse(), R"({"decision":"passthrough"})", none},
             Case{"tool finished", ran, R"({"decision":"approve"})", none},
             Case{"notification approved", notification, R"({"decision":"approve"})", none},
             Case{"stop", R"({"hook_event_name":"SubagentStop"})", R"({"decision":"deny"})", none},
         }) {
        ScriptedServer server(socketPath(), Reply::line, c.reply);
        const auto result = relay(c.input);
        EXPECT_EQ(result.exitStatus, 0) << c.name;
        ASSERT_FALSE(result.standardOutput.empty()) << c.name;
        EXPECT_EQ(result.standardOutput.back(), '\n') << c.name;
        EXPECT_EQ(json::parse(result.standardOutput), c.expected) << c.name;
        EXPECT_EQ(server.requests().size(), 1u) << c.name;
    }
}

TEST_F(RelayProcess, ASessionsLifeReachesTheAppAsClaudeCodeToldIt) {
    // Every hook a real Claude Code ran for a session that handed work to a
    // background subagent, in order.
    std::ifstream recorded(std::string(HALVANE_TEST_FIXTURES) + "/claude-hooks/subagent.jsonl");
    ASSERT_TRUE(recorded.is_open());
    std::vector<halvane::HookEvent> events;
    for (std::string line; std::getline(recorded, line);) {
        ScriptedServer server(socketPath(), Reply::line, R"({"decision":"approve"})");
        const auto result = relay(line);
        ASSERT_EQ(server.requests().size(), 1u) << line;
        events.push_back(decodedRequest(server.requests()[0]));
        if (events.back().kind != halvane::HookEvent::Kind::preToolUse) {
            EXPECT_EQ(result.standardOutput, "{}\n") << "only a call is ever approved: " << line;
        }
    }
    using Kind = halvane::HookEvent::Kind;
    std::vector<Kind> kinds;
    for (const auto& event : events) {
        kinds.push_back(event.kind);
    }
    EXPECT_EQ(kinds,
              (std::vector{Kind::sessionStart, Kind::userPromptSubmit, Kind::preToolUse,
                           Kind::subagentStart, Kind::postToolUse, Kind::subagentStop, Kind::stop,
                           Kind::userPromptSubmit, Kind::stop, Kind::sessionEnd}));
    ASSERT_EQ(events.size(), 10u);
    EXPECT_EQ(events[1].message, "delegate") << "a prompt travels as the event's text";
    EXPECT_EQ(events[3].agentId, "afaec6949baf740ab");
    EXPECT_EQ(events[3].agentType, "general-purpose");
    EXPECT_EQ(events[5].agentId, events[3].agentId);
    EXPECT_EQ(events[6].backgroundTasks, true) << "the subagent still runs at the first stop";
    EXPECT_EQ(events[8].backgroundTasks, false);
    EXPECT_FALSE(events[5].backgroundTasks) << "only a stop says whether work goes on";
    EXPECT_EQ(events[9].message, "other") << "why the session ended";
    EXPECT_TRUE(events[0].transcriptPath && events[0].transcriptPath->ends_with(".jsonl"));
}

TEST_F(RelayProcess, EverythingElseIsTheNeutralAnswer) {
    struct Case {
        const char* name;
        Reply reply;
        std::string payload;
        std::string input;
    };
    for (const Case& c : {
             Case{"closed without answer", Reply::closeWithoutAnswer, "", permissionRequest()},
             Case{"answer cut short", Reply::raw, R"({"decision":"appr)", permissionRequest()},
             Case{"silent until time-out", Reply::stayOpenSilent, "", preToolUse()},
         }) {
        ScriptedServer server(socketPath(), c.reply, c.payload);
        const auto result = relay(c.input);
        EXPECT_EQ(result.exitStatus, 0) << c.name;
        EXPECT_EQ(result.standardOutput, "{}\n") << c.name;
        EXPECT_EQ(server.requests().size(), 1u) << c.name;
    }
}

TEST_F(RelayProcess, AGarbageReplyIsReportedAndAnsweredNeutrally) {
    ScriptedServer server(socketPath(), Reply::line, "<html>");
    const auto result = relay(preToolUse());
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, "{}\n");
    const auto errors = lines(result.standardError);
    ASSERT_EQ(errors.size(), 3u) << result.standardError;
    EXPECT_TRUE(errors[2].starts_with("halvane-hook: decode error: ")) << errors[2];
}

TEST_F(RelayProcess, NobodyListeningIsReportedAndAnsweredNeutrally) {
    const auto result = relay(preToolUse());
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, "{}\n");
    EXPECT_EQ(
        lines(result.standardError),
        (std::vector<std::string>{"halvane-hook: connect failed errno=" + std::to_string(ENOENT),
                                  "halvane-hook: Connection refused"}));
}

TEST_F(RelayProcess, InvalidInputExitsTwoWithItsLine) {
    for (const char* input : {"", "[]", "not json"}) {
        const auto result = relay(input);
        EXPECT_EQ(result.exitStatus, 2) << input;
        EXPECT_EQ(result.standardOutput, "") << input;
        EXPECT_EQ(result.standardError, "halvane-hook: invalid JSON on stdin\n") << input;
    }
}

TEST_F(RelayProcess, DeeplyNestedInputIsAnsweredNeutrallyWithoutACrash) {
    const std::size_t levels = 100000;
    const std::string nested = std::string(levels, '[') + std::string(levels, ']');
    ScriptedServer server(socketPath(), Reply::line, R"({"decision":"approve"})");
    const auto result = relay(
        R"({"hook_event_name":"PreToolUse","session_id":"s","tool_name":"Bash","tool_input":)" +
        nested + "}");
    // Exit 2 would block the tool in Claude Code; {} lets it ask as usual.
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, "{}\n");
    EXPECT_EQ(result.standardError, "halvane-hook: input nested deeper than 512 levels\n");
    EXPECT_TRUE(server.requests().empty());

    // The app's decoder refuses such a line from any other client the same way.
    const std::string line =
        R"({"kind":"permissionRequest","sessionId":"s","cwd":"/","timestamp":1,"extra":)" + nested +
        "}";
    const auto decoded = halvane::HookEvent::decode(line);
    ASSERT_FALSE(decoded);
    EXPECT_NE(decoded.error().find("nested deeper than 512 levels"), std::string::npos)
        << decoded.error();
}

TEST_F(RelayProcess, InjectDaemonWithoutSessionIdRunsAsRelay) {
    ScriptedServer server(socketPath(), Reply::line, R"({"decision":"approve"})");
    const auto result = relay(preToolUse(), {}, {"--inject-daemon"});
    EXPECT_EQ(
        result.standardOutput,
        R"({"hookSpecificOutput":{"hookEventName":"PreToolUse","permissionDecision":"allow"}})"
        "\n");
}

TEST_F(RelayProcess, TheEventCarriesTheHookFields) {
    ScriptedServer server(socketPath(), Reply::line, R"({"decision":"passthrough"})");
    ChildOptions options;
    options.environment["TERM_PROGRAM"] = "WezTerm";
    const double before = halvane::wireTimestamp(std::chrono::system_clock::now());
    relay(permissionRequest(R"(,"message":"hi\nthere","extra":true)"), options);
    const double after = halvane::wireTimestamp(std::chrono::system_clock::now());

    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].find('\n'), std::string::npos);
    const auto event = decodedRequest(server.requests()[0]);
    EXPECT_EQ(event.kind, halvane::HookEvent::Kind::permissionRequest);
    EXPECT_EQ(event.permissionMode, "default");
    EXPECT_EQ(nlohmann::json::parse(event.permissionSuggestions.value_or("null")),
              nlohmann::json::parse(permissionSuggestions));
    EXPECT_EQ(event.sessionId, "sess-1");
    EXPECT_EQ(event.cwd, "/work/app");
    EXPECT_EQ(event.tool, "Bash");
    EXPECT_EQ(event.toolInput, R"({"command":"ls -la","nested":[[1,2],{"a":null}]})");
    EXPECT_EQ(event.message, "hi\nthere");
    EXPECT_EQ(event.terminalId, "com.github.wez.wezterm");
    EXPECT_FALSE(event.suggestions);
    EXPECT_GE(event.timestamp, before);
    EXPECT_LE(event.timestamp, after);
}

TEST_F(RelayProcess, MistypedKeysAreTreatedAsMissing) {
    ScriptedServer server(socketPath(), Reply::line, R"({"decision":"passthrough"})");
    ChildOptions options;
    options.workingDirectory = m_dir.path().string();
    relay(R"({"hook_event_name":"Stop","session_id":42,"cwd":["x"],"tool_name":1,"message":{}})",
          options);
    ASSERT_EQ(server.requests().size(), 1u);
    const auto event = decodedRequest(server.requests()[0]);
    EXPECT_EQ(event.kind, halvane::HookEvent::Kind::stop);
    EXPECT_TRUE(std::regex_match(
        event.sessionId,
        std::regex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}")))
        << event.sessionId;
    EXPECT_EQ(event.cwd, std::filesystem::canonical(m_dir.path()).string());
    EXPECT_FALSE(event.tool || event.message || event.toolInput);
}

TEST_F(RelayProcess, DetectsTerminalAndAgentFromRealParents) {
    // Copies of the shell under the names a terminal and the agent would have,
    // one of them long enough to be cut by the kernel's 15-character names.
    const auto terminal = m_dir / "gnome-terminal-server";
    const auto agent = m_dir / "claude";
    std::filesystem::copy_file("/bin/sh", terminal);
    std::filesystem::copy_file("/bin/sh", agent);
    ScriptedServer server(socketPath(), Reply::line, R"({"decision":"passthrough"})");

    const std::string driver = binaryDirectory() + "/relay-test-driver";
    const std::string inner = "echo $$ >&2; " + driver + " </dev/stdin; exit $?";
    const std::string outer = "echo $$ >&2; " + agent.string() + " -c '" + inner + "'; exit $?";
    ChildOptions options;
    options.standardInput = R"({"hook_event_name":"Notification","session_id":"s"})";
    options.environment["HALVANE_TEST_SOCKET"] = socketPath();
    options.environment["TERM_PROGRAM"] = std::nullopt;
    const auto result = runChild({terminal.string(), "-c", outer}, options);
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;

    const auto errors = lines(result.standardError);
    ASSERT_GE(errors.size(), 2u);
    ASSERT_EQ(server.requests().size(), 1u);
    const auto event = decodedRequest(server.requests()[0]);
    EXPECT_EQ(event.terminalPid, std::stoi(errors[0]));
    EXPECT_EQ(event.claudePid, std::stoi(errors[1]));
    EXPECT_FALSE(event.terminalId);
}

TEST_F(RelayProcess, AListenerOfAnotherUserIsTreatedAsNobodyListening) {
    if (::geteuid() != 0) {
        HALVANE_SKIP_UNLESS_CI("needs root to start a listener under another user id");
    }
    ::chmod(m_dir.path().c_str(), 0777);
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t listener = ::fork();
    ASSERT_GE(listener, 0);
    if (listener == 0) {
        // The foreign listener: nobody's uid, counts the bytes it is sent.
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(3);
        }
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const auto address = halvane::unix_socket::address(socketPath());
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(fd, 4) != 0) {
            ::_exit(4);
        }
        ::write(report[1], "L", 1);
        const int connection = ::accept(fd, nullptr, nullptr);
        halvane::unix_socket::setReceiveTimeout(connection, 1.0);
        const std::string received = halvane::readMessage(connection);
        const char verdict = received.empty() ? '0' : 'R';
        ::write(report[1], &verdict, 1);
        ::_exit(0);
    }
    ::close(report[1]);
    char ready = 0;
    ASSERT_EQ(::read(report[0], &ready, 1), 1);

    const auto result = relay(preToolUse());
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, "{}\n");
    EXPECT_EQ(lines(result.standardError),
              (std::vector<std::string>{
                  "halvane-hook: connect failed errno=" + std::to_string(ECONNREFUSED),
                  "halvane-hook: Connection refused"}));
    char verdict = 0;
    ASSERT_EQ(::read(report[0], &verdict, 1), 1);
    EXPECT_EQ(verdict, '0') << "the foreign listener received the event";
    ::close(report[0]);
    ::waitpid(listener, nullptr, 0);
}
