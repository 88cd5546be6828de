#include <gtest/gtest.h>

#include "FakeProcessTable.h"
#include "HookRelay.h"

using halvane::injectDaemonSessionId;

TEST(RelayArguments, DaemonModeNeedsTheSwitchAndASessionId) {
    const char* none[] = {"halvane-hook"};
    const char* lone[] = {"halvane-hook", "--inject-daemon"};
    const char* daemon[] = {"halvane-hook", "--inject-daemon", "abc", "extra"};
    const char* other[] = {"halvane-hook", "--verbose", "--inject-daemon"};
    EXPECT_EQ(injectDaemonSessionId(1, none), std::nullopt);
    EXPECT_EQ(injectDaemonSessionId(2, lone), std::nullopt);
    EXPECT_EQ(injectDaemonSessionId(4, daemon), "abc");
    EXPECT_EQ(injectDaemonSessionId(3, other), std::nullopt);
}

TEST(RelayInput, InputThatIsNotAnObjectExitsTwoWithoutOutput) {
    halvane::test::FakeProcessTable table;
    const halvane::RelayContext context{table, 1};
    const halvane::RelayOptions options{"/nonexistent/halvane.sock", 1, true, ""};
    for (const char* input : {"", "[]", "{", "null", "\"PreToolUse\"", "{\"a\":\"\\ud800\"}"}) {
        const auto output = halvane::runRelay(input, context, options);
        EXPECT_EQ(output.exitStatus, 2) << input;
        EXPECT_EQ(output.standardOutput, "") << input;
    }
}

TEST(RelayInput, UnmappedEventsAnswerNeutrallyWithoutDetection) {
    halvane::test::FakeProcessTable table;
    table.add(70, 1, "claude");
    const halvane::RelayContext context{table, 70};
    const halvane::RelayOptions options{"/nonexistent/halvane.sock", 1, true, ""};
    for (const char* input : {"{}", R"({"hook_event_name":"preToolUse"})",
                              R"({"hook_event_name":"NoSuchEvent"})", R"({"hook_event_name":7})"}) {
        const auto output = halvane::runRelay(input, context, options);
        EXPECT_EQ(output.exitStatus, 0) << input;
        EXPECT_EQ(output.standardOutput, "{}\n") << input;
    }
    EXPECT_EQ(table.queries(), 0);
}
