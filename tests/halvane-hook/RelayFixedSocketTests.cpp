#include <gtest/gtest.h>
#include <unistd.h>

#include "HalvaneProtocol/SocketPath.h"
#include "RelayHarness.h"
#include "ScriptedServer.h"

using namespace halvane::test;

// The shipped binary, talking on the product's own socket path.

TEST(RelayOnFixedSocket, AnswersAPermissionRequestEndToEnd) {
    ScriptedServer server(halvane::socketPath, ScriptedServer::Reply::line,
                          R"({"decision":"approve"})");
    ASSERT_TRUE(server.listening());
    ChildOptions options;
    options.standardInput = permissionRequest();
    const auto result = runChild({binaryDirectory() + "/halvane-hook"}, options);
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardOutput, R"({"hookSpecificOutput":{"decision":{"behavior":"allow"},)"
                                     R"("hookEventName":"PermissionRequest"}})"
                                     "\n");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(decodedRequest(server.requests()[0]).sessionId, "sess-1");
}

TEST(RelayOnFixedSocket, WithoutTheAppClaudeCodeIsNotBlocked) {
    ::unlink(halvane::socketPath);
    ChildOptions options;
    options.standardInput = preToolUse();
    const auto result = runChild({binaryDirectory() + "/halvane-hook"}, options);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, "{}\n");
    EXPECT_EQ(lines(result.standardError).back(), "halvane-hook: Connection refused");
}
