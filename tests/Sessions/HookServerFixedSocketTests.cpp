// The shipped relay and the server, both on the product's fixed socket path.
#include <gtest/gtest.h>

#include <future>

#include "ChildProcess.h"
#include "HookServerFixture.h"

using namespace halvane;
using namespace halvane::test;
using namespace std::chrono_literals;

TEST(HookServerOnFixedSocket, AnswersThePermissionRequestOfTheShippedRelay) {
    qtApplication();
    const auto sessions = std::make_shared<FakeSessions>();
    HookServer server(sessions);
    ASSERT_EQ(server.path(), "/tmp/halvane.sock");
    const auto error = server.start();
    ASSERT_FALSE(error) << error->description;

    ChildOptions options;
    options.standardInput =
        R"({"hook_event_name":"PreToolUse","session_id":"fixed-1","cwd":"/work/app",)"
        R"("tool_name":"Read","tool_input":{"file_path":"/work/app/README.md"}})";
    auto run = std::async(std::launch::async, [options] {
        return runChild({binaryDirectory() + "/halvane-hook"}, options);
    });
    ASSERT_TRUE(waitUntil([&] { return sessions->held.size() == 1; }, 20s));
    EXPECT_EQ(sessions->events[0].sessionId, "fixed-1");
    EXPECT_EQ(sessions->events[0].tool, "Read");
    sessions->held[0](HookDecision{HookDecision::Decision::approve});

    ASSERT_TRUE(waitUntil([&] { return run.wait_for(0s) == std::future_status::ready; }, 40s));
    const ChildResult result = run.get();
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(
        result.standardOutput,
        R"({"hookSpecificOutput":{"hookEventName":"PreToolUse","permissionDecision":"allow"}})"
        "\n");
}
