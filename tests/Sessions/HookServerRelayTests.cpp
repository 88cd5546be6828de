// The server against the real relay program, as Claude Code would start it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <future>
#include <nlohmann/json.hpp>

#include "ChildProcess.h"
#include "FakeSoundPlayer.h"
#include "Halvane/Sessions/Preferences.h"
#include "Halvane/Sessions/SessionStore.h"
#include "HookServerFixture.h"
#include "MissingService.h"

using namespace halvane;
using namespace halvane::test;
using namespace std::chrono_literals;

namespace {

std::string hookInput(const std::string& event, const std::string& sessionId) {
    nlohmann::json input = {
        {"hook_event_name", event}, {"session_id", sessionId}, {"cwd", "/work/app"}};
    if (event == "PreToolUse" || event == "PermissionRequest") {
        input["tool_name"] = "Bash";
        input["tool_input"] = {{"command", "make test"}};
    } else {
        input["message"] = "Claude is waiting for your input";
    }
    return input.dump();
}

class HookServerWithRelay : public HookServerTest {
protected:
    // The relay runs on a helper thread so the main thread can run the model.
    // Its own limit is far beyond the server's so that an answer the server
    // failed to send shows as a relay that had to be killed.
    std::future<ChildResult> relay(const std::string& input, std::vector<std::string> prefix = {}) {
        ChildOptions options;
        options.standardInput = input;
        options.environment.emplace("HALVANE_TEST_SOCKET", socketPath());
        options.environment.emplace("HALVANE_TEST_TIMEOUT", "120");
        options.limit = 30s;
        prefix.push_back(binaryDirectory() + "/relay-test-driver");
        return std::async(std::launch::async,
                          [prefix, options] { return runChild(prefix, options); });
    }

    static ChildResult finished(std::future<ChildResult>& run) {
        EXPECT_TRUE(waitUntil([&] { return run.wait_for(0s) == std::future_status::ready; }, 40s));
        ChildResult result = run.get();
        EXPECT_FALSE(result.timedOut) << result.standardError;
        EXPECT_EQ(result.exitStatus, 0) << result.standardError;
        return result;
    }
};

}  // namespace

TEST_F(HookServerWithRelay, ANotificationIsPassedThroughAtOnce) {
    const auto server = startServer();
    auto run = relay(hookInput("Notification", "e2e-note"));
    EXPECT_EQ(finished(run).standardOutput, "{}\n");
    ASSERT_EQ(m_sessions->events.size(), 1u);
    EXPECT_EQ(m_sessions->events[0].kind, HookEvent::Kind::notification);
    EXPECT_EQ(m_sessions->events[0].message, "Claude is waiting for your input");
}

TEST_F(HookServerWithRelay, ThePermissionAnswerReachesClaudeCode) {
    const auto server = startServer();
    struct Case {
        HookDecision decision;
        std::string printed;
    };
    const std::vector<Case> cases = {
        {HookDecision{HookDecision::Decision::approve},
         R"({"hookSpecificOutput":{"hookEventName":"PreToolUse","permissionDecision":"allow"}})"
         "\n"},
        {HookDecision{HookDecision::Decision::deny, "Not on main"},
         R"({"hookSpecificOutput":{"hookEventName":"PreToolUse","permissionDecision":"deny",)"
         R"("permissionDecisionReason":"Not on main"}})"
         "\n"},
        {HookDecision{HookDecision::Decision::passthrough}, "{}\n"},
    };
    for (const Case& c : cases) {
        const std::size_t before = m_sessions->held.size();
        auto run = relay(hookInput("PreToolUse", "e2e-perm"));
        ASSERT_TRUE(waitUntil([&] { return m_sessions->held.size() == before + 1; }));
        const HookEvent& event = m_sessions->events.back();
        EXPECT_EQ(event.tool, "Bash");
        EXPECT_EQ(event.toolInput, R"({"command":"make test"})");
        m_sessions->held.back()(c.decision);
        EXPECT_EQ(finished(run).standardOutput, c.printed);
    }
}

TEST_F(HookServerWithRelay, AnUnansweredRequestIsAnsweredBeforeTheRelayGivesUp) {
    const auto server = startServer(limits(300ms));
    auto run = relay(hookInput("PreToolUse", "e2e-silent-user"));
    const ChildResult result = finished(run);
    EXPECT_EQ(result.standardOutput, "{}\n");
    EXPECT_EQ(m_sessions->held.size(), 1u);
}

TEST_F(HookServerWithRelay, SilentClientsDoNotStarveTheRelay) {
    const auto server = startServer(limits(20s, 300ms, 4));
    std::vector<int> flood;
    for (int index = 0; index < 10; ++index) {
        flood.push_back(connectTo(socketPath()));
    }
    ASSERT_TRUE(waitUntil([&] { return std::all_of(flood.begin(), flood.end(), closedByServer); }));
    auto run = relay(hookInput("Notification", "e2e-after-flood"));
    EXPECT_EQ(finished(run).standardOutput, "{}\n");
    EXPECT_EQ(m_sessions->events.size(), 1u);
    for (const int fd : flood) {
        ::close(fd);
    }
}

TEST_F(HookServerWithRelay, ARelayOfAnotherUserIsNotHeard) {
    if (::geteuid() != 0) {
        HALVANE_SKIP_UNLESS_CI("needs root to run the relay as another user (uid 65534)");
    }
    if (::access("/usr/bin/setpriv", X_OK) != 0) {
        HALVANE_SKIP_UNLESS_CI("needs /usr/bin/setpriv (util-linux) to switch users");
    }
    ASSERT_EQ(::chmod(m_dir.path().c_str(), 0711), 0);
    const auto server = startServer();
    ASSERT_EQ(::chmod(socketPath().c_str(), 0666), 0);

    auto run = relay(hookInput("PreToolUse", "e2e-foreign"),
                     {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    const ChildResult result = finished(run);
    EXPECT_EQ(result.standardOutput, "{}\n");
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_sessions->events.empty());
    EXPECT_EQ(logLinesStartingWith("Halvane: received "), 0u);
    EXPECT_EQ(logLinesStartingWith("Halvane: closed connection fd="), 1u);
}

TEST_F(HookServerWithRelay, TheSessionStoreAnswersTheRelay) {
    TempDir claudeFolder("claude");
    ::setenv("CLAUDE_CONFIG_DIR", claudeFolder.path().c_str(), 1);
    FakeSoundPlayer sounds;
    Preferences preferences(QString::fromStdString((m_dir / "halvane.conf").string()));
    const auto store = std::make_shared<SessionStore>(sounds, preferences);
    {
        HookServer server(store, socketPath(), limits(20s));
        ASSERT_FALSE(server.start());

        auto note = relay(hookInput("Notification", "e2e-store"));
        EXPECT_EQ(finished(note).standardOutput, "{}\n");
        ASSERT_EQ(store->sessions().count("e2e-store"), 1u);

        auto request = relay(hookInput("PermissionRequest", "e2e-store"));
        ASSERT_TRUE(waitUntil([&] { return store->pending().size() == 1; }));
        EXPECT_EQ(store->pending()[0].id, "e2e-store");
        store->resolve("e2e-store", HookDecision{HookDecision::Decision::deny, "Not today"});
        EXPECT_EQ(finished(request).standardOutput,
                  R"({"hookSpecificOutput":{"decision":{"behavior":"deny","message":"Not today"},)"
                  R"("hookEventName":"PermissionRequest"}})"
                  "\n");
        EXPECT_TRUE(store->pending().empty());
    }
    ::unsetenv("CLAUDE_CONFIG_DIR");
}
