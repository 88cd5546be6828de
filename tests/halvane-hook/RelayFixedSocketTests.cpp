#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "Halvane/Platform/posix/RuntimeDirectory.h"
#include "Halvane/Sessions/HooksInstaller.h"
#include "RelayHarness.h"
#include "ScriptedServer.h"
#include "TempDir.h"

using namespace halvane::test;
namespace runtime_directory = halvane::runtime_directory;

namespace {

// The user's own hook socket, where the shipped binary looks by default.
std::string userSocket() {
    const std::string directory = runtime_directory::locate(::getuid());
    EXPECT_EQ(runtime_directory::prepare(directory, ::getuid()), std::nullopt);
    return runtime_directory::hookSocketIn(directory);
}

}  // namespace

// The shipped binary, talking on the user's own socket path.

TEST(RelayOnFixedSocket, AnswersAPermissionRequestEndToEnd) {
    ScriptedServer server(userSocket(), ScriptedServer::Reply::line, R"({"decision":"approve"})");
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
    ::unlink(userSocket().c_str());
    ChildOptions options;
    options.standardInput = preToolUse();
    const auto result = runChild({binaryDirectory() + "/halvane-hook"}, options);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, "{}\n");
    EXPECT_EQ(lines(result.standardError).back(), "halvane-hook: Connection refused");
}

TEST(RelayOnFixedSocket, HalvaneSocketMovesItAndSocketPathSaysWhere) {
    ChildOptions options;
    options.environment["HALVANE_SOCKET"] = std::nullopt;
    const auto plain = runChild({binaryDirectory() + "/halvane-hook", "--socket-path"}, options);
    EXPECT_EQ(plain.exitStatus, 0);
    EXPECT_EQ(plain.standardOutput, userSocket() + "\n");

    const TempDir elsewhere("moved");
    const std::string moved = (elsewhere / "h.sock").string();
    options.environment["HALVANE_SOCKET"] = moved;
    EXPECT_EQ(
        runChild({binaryDirectory() + "/halvane-hook", "--socket-path"}, options).standardOutput,
        moved + "\n");
    ScriptedServer server(moved, ScriptedServer::Reply::line, R"({"decision":"approve"})");
    ASSERT_TRUE(server.listening());
    options.standardInput = permissionRequest();
    const auto result = runChild({binaryDirectory() + "/halvane-hook"}, options);
    EXPECT_NE(result.standardOutput.find(R"("behavior":"allow")"), std::string::npos)
        << result.standardError;
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST(RelayOnFixedSocket, OnAMachineWithoutTheAppTheRelayInstallsTheSameHooks) {
    const TempDir claude("claude");
    ChildOptions options;
    options.environment["CLAUDE_CONFIG_DIR"] = claude.path().string();
    const auto first = runChild({binaryDirectory() + "/halvane-hook", "--install-hooks"}, options);
    EXPECT_EQ(first.exitStatus, 0) << first.standardError;
    EXPECT_NE(first.standardOutput.find("installed hooks"), std::string::npos)
        << first.standardOutput;
    // The app's own check (run from beside the same relay) finds its hooks.
    ::setenv("CLAUDE_CONFIG_DIR", claude.path().c_str(), 1);
    EXPECT_TRUE(halvane::HooksInstaller::isInstalled());
    ::unsetenv("CLAUDE_CONFIG_DIR");
    const auto again = runChild({binaryDirectory() + "/halvane-hook", "--install-hooks"}, options);
    EXPECT_EQ(again.exitStatus, 0);
    EXPECT_NE(again.standardOutput.find("ok: hooks already installed"), std::string::npos)
        << again.standardOutput;

    // A file it may not rewrite is a failure, said on standard error.
    const std::string settings = (claude.path() / "settings.json").string();
    std::ofstream(settings, std::ios::trunc) << R"({"model": "opus", "model": "sonnet"})";
    const auto refused =
        runChild({binaryDirectory() + "/halvane-hook", "--install-hooks"}, options);
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_EQ(refused.standardOutput, "");
    EXPECT_NE(refused.standardError.find("halvane-hook: failed to write settings: " + settings +
                                         " holds the key \"model\" twice"),
              std::string::npos)
        << refused.standardError;
}
