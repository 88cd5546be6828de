// Halvane under the real Claude Code: what a user sees on the card and in the
// terminal, and what the model is told, for requests answered on the card,
// requests Claude Code does not ask about, and requests answered in the
// terminal while the card is up.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "HalvaneWithClaude.h"
#include "Polling.h"

namespace halvane::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

nlohmann::json bash(const std::string& command) {
    return {{"command", command}, {"description", "Run " + command}};
}

class HalvaneWithClaudeTest : public HalvaneWithClaude {
protected:
    // Whether a card came up at any time before the run ended.
    bool cardSeenWhile(std::future<ChildResult>& run) {
        bool seen = false;
        while (run.wait_for(100ms) != std::future_status::ready) {
            seen = seen || cardShown();
        }
        return seen;
    }

    // Sessions the app lists, asked over its D-Bus name as `halvane
    // --show-sessions` asks.
    int sessionsListed() {
        const auto bus = m_accessibility->environment().at("DBUS_SESSION_BUS_ADDRESS");
        const ChildResult reply =
            runChild({"/usr/bin/gdbus", "call", "--address", bus.value_or(""), "--dest",
                      "app.halvane.Halvane", "--object-path", "/app/halvane/Halvane", "--method",
                      "app.halvane.Halvane.ShowSessions"});
        if (reply.exitStatus != 0) {
            ADD_FAILURE() << "gdbus: " << reply.exitStatus << " " << reply.standardError;
            return -1;
        }
        // "(2,)"
        return std::atoi(reply.standardOutput.c_str() + 1);
    }

    std::size_t logged(const std::string& text) const {
        const std::string log = appLog();
        std::size_t count = 0;
        for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) {
            ++count;
        }
        return count;
    }

    // Presses key in the terminal until the dialog showing `dialog` closes:
    // a key pressed as the dialog settles is sometimes dropped.
    static bool answerInTerminal(const ClaudeTui& tui, const std::string& key,
                                 const std::string& dialog) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            tui.press(key);
            if (pollUntil([&] { return tui.screen().find(dialog) == std::string::npos; }, 3s)) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(HalvaneWithClaudeTest, ABashCallApprovedOnTheCardRunsAndOneDeniedThereDoesNot) {
    m_api.append(AssistantTurn::useTool("Bash", bash("touch approved-on-card")));
    m_api.append(AssistantTurn::useTool("Bash", bash("touch denied-on-card")));
    m_api.append(AssistantTurn::say("Both asked."));

    auto run = printInBackground("Make two files");

    ASSERT_TRUE(pollUntil([&] { return eventsReceived("permissionRequest") == 1; }, 30s))
        << context();
    ASSERT_TRUE(waitForCard()) << context();
    EXPECT_FALSE(fs::exists(m_cli.project() / "approved-on-card")) << "ran before the answer";
    pressOnCard("a");

    ASSERT_TRUE(pollUntil([&] { return eventsReceived("permissionRequest") == 2; }, 30s))
        << context();
    ASSERT_TRUE(waitForCard()) << context();
    pressOnCard("d");

    ASSERT_EQ(run.wait_for(30s), std::future_status::ready) << context();
    const ChildResult result = run.get();
    ASSERT_EQ(result.exitStatus, 0) << result.standardError << context();
    EXPECT_EQ(nlohmann::json::parse(result.standardOutput, nullptr, false).value("result", ""),
              "Both asked.")
        << result.standardOutput;
    EXPECT_TRUE(fs::exists(m_cli.project() / "approved-on-card"));
    EXPECT_FALSE(resultIsError(1)) << resultText(1);
    EXPECT_FALSE(fs::exists(m_cli.project() / "denied-on-card"));
    EXPECT_TRUE(resultIsError(2));
    EXPECT_EQ(resultText(2), "User denied");
    EXPECT_TRUE(waitForNoCard()) << "the card stays after its answer";
}

TEST_F(HalvaneWithClaudeTest, CallsClaudeCodeDoesNotAskAboutShowNoCardAndAreNotHeld) {
    std::ofstream(m_cli.project() / "notes.txt") << "notes of the project\n";
    m_api.append(AssistantTurn::useTool("Read", {{"file_path", (m_cli.project() / "notes.txt")}}));
    m_api.append(AssistantTurn::say("Read it."));

    // Reading inside the project needs no asking in the default mode.
    auto inDefault = printInBackground("Read the notes");
    EXPECT_FALSE(cardSeenWhile(inDefault)) << context();
    const ChildResult defaultRun = inDefault.get();
    ASSERT_EQ(defaultRun.exitStatus, 0) << defaultRun.standardError;
    EXPECT_NE(resultText(1).find("notes of the project"), std::string::npos) << resultText(1);

    // Nor reading and listing in auto mode.
    m_api.append(AssistantTurn::useTool("Read", {{"file_path", (m_cli.project() / "notes.txt")}}));
    m_api.append(AssistantTurn::useTool("Bash", bash("ls")));
    m_api.append(AssistantTurn::say("Listed it."));
    auto inAuto = printInBackground("Read and list", {"--permission-mode", "auto"});
    EXPECT_FALSE(cardSeenWhile(inAuto)) << context();
    const ChildResult autoRun = inAuto.get();
    ASSERT_EQ(autoRun.exitStatus, 0) << autoRun.standardError;
    EXPECT_NE(resultText(3).find("notes of the project"), std::string::npos) << resultText(3);
    EXPECT_NE(resultText(4).find("notes.txt"), std::string::npos) << resultText(4);

    // The app saw every call, held none of them and was never asked: a call
    // held for an answer would keep the run waiting for the app's time limit.
    EXPECT_EQ(eventsReceived("preToolUse"), 3) << context();
    EXPECT_EQ(eventsReceived("permissionRequest"), 0) << context();
    EXPECT_LT(defaultRun.elapsed, 20s);
    EXPECT_LT(autoRun.elapsed, 20s);
}

TEST_F(HalvaneWithClaudeTest, AlwaysKeepsClaudeCodesRuleAndTheSameCallThenRunsWithoutACard) {
    const std::string command = "python3 -c \"print(42)\"";
    m_api.append(AssistantTurn::useTool("Bash", bash(command)));
    m_api.append(AssistantTurn::say("Once."));

    auto first = printInBackground("Print the answer");
    ASSERT_TRUE(pollUntil([&] { return eventsReceived("permissionRequest") == 1; }, 30s))
        << context();
    ASSERT_TRUE(waitForCard()) << context();
    pressOnCard("alt+a");
    ASSERT_EQ(first.wait_for(30s), std::future_status::ready) << context();
    ASSERT_EQ(first.get().exitStatus, 0);
    EXPECT_EQ(resultText(1), "42");

    // Claude Code wrote the rule it suggested, where it keeps the project's own.
    std::ifstream local(m_cli.project() / ".claude/settings.local.json");
    const auto settings = nlohmann::json::parse(local, nullptr, false);
    ASSERT_FALSE(settings.is_discarded()) << "no settings.local.json" << context();
    EXPECT_EQ(settings["permissions"]["allow"],
              nlohmann::json::array({"Bash(python3 -c \"print\\(42\\)\")"}))
        << settings.dump(2);

    m_api.append(AssistantTurn::useTool("Bash", bash(command)));
    m_api.append(AssistantTurn::say("Twice."));
    auto second = printInBackground("Print the answer again");
    EXPECT_FALSE(cardSeenWhile(second)) << context();
    ASSERT_EQ(second.get().exitStatus, 0);
    EXPECT_EQ(resultText(3), "42");
    EXPECT_EQ(eventsReceived("permissionRequest"), 1) << context();
}

TEST_F(HalvaneWithClaudeTest, AnAnswerInTheTerminalTakesTheCardAwayAndEndsTheRelay) {
    m_api.append(AssistantTurn::useTool("Bash", bash("touch yes-in-terminal")));
    m_api.append(AssistantTurn::say("First done."));
    m_api.append(AssistantTurn::useTool("Bash", bash("touch no-in-terminal")));
    ClaudeTui tui(m_cli);
    ASSERT_TRUE(tui.start({"--permission-mode", "manual"})) << tui.why();
    const pid_t claude = claudeOf(tui);
    ASSERT_GT(claude, 0);
    const std::string dialog = "Do you want to proceed?";

    // Yes in the terminal: the call runs, and its end settles the card.
    tui.submit("Make the first file");
    ASSERT_TRUE(tui.waitForScreen(dialog)) << tui.screen();
    ASSERT_TRUE(waitForCard()) << context();
    ASSERT_TRUE(pollUntil([&] { return relaysUnder(claude).size() == 1; }))
        << "the relay should wait with the card";
    ASSERT_TRUE(answerInTerminal(tui, "1", dialog)) << tui.screen();  // Yes
    EXPECT_TRUE(waitForNoCard()) << context();
    EXPECT_TRUE(pollUntil([&] { return relaysUnder(claude).empty(); }, 10s))
        << "the relay still waits";
    EXPECT_TRUE(fs::exists(m_cli.project() / "yes-in-terminal"));
    EXPECT_TRUE(tui.waitForScreen("First done.")) << tui.screen();

    // No in the terminal: Claude Code ends the relay, and the card goes with it.
    tui.submit("Make the second file");
    ASSERT_TRUE(pollUntil([&] { return eventsReceived("permissionRequest") == 2; }, 30s))
        << tui.screen() << context();
    ASSERT_TRUE(tui.waitForScreen(dialog)) << tui.screen();
    ASSERT_TRUE(waitForCard()) << context();
    ASSERT_TRUE(pollUntil([&] { return relaysUnder(claude).size() == 1; }));
    ASSERT_TRUE(answerInTerminal(tui, "4", dialog)) << tui.screen();  // No
    EXPECT_TRUE(waitForNoCard()) << context();
    EXPECT_TRUE(pollUntil([&] { return relaysUnder(claude).empty(); }, 10s));
    EXPECT_TRUE(tui.waitForScreen("Interrupted")) << tui.screen();
    EXPECT_FALSE(fs::exists(m_cli.project() / "no-in-terminal"));
}

TEST_F(HalvaneWithClaudeTest, QuestionsAnsweredOnTheCardReachTheModel) {
    m_api.append(AssistantTurn::useTool(
        "AskUserQuestion",
        {{"questions",
          {{{"question", "Which database should we use?"},
            {"header", "Database"},
            {"multiSelect", false},
            {"options",
             {{{"label", "Postgres"}, {"description", "The one production runs"}},
              {{"label", "SQLite"}, {"description", "A file next to the service"}}}}}}}}));
    m_api.append(AssistantTurn::useTool(
        "AskUserQuestion", {{"questions",
                             {{{"question", "Which checks should run?"},
                               {"header", "Checks"},
                               {"multiSelect", true},
                               {"options",
                                {{{"label", "Lint"}, {"description", "Style"}},
                                 {{"label", "Tests"}, {"description", "Unit tests"}},
                                 {{"label", "Bench"}, {"description", "Speed"}}}}}}}}));
    m_api.append(AssistantTurn::say("All answered."));
    ClaudeTui tui(m_cli);
    ASSERT_TRUE(tui.start({"--permission-mode", "manual"})) << tui.why();

    tui.submit("Set up the service");

    // One question with one answer: its first click answers.
    ASSERT_TRUE(waitForCard()) << tui.screen() << context();
    ASSERT_TRUE(clickOnCard(QStringLiteral("SQLite"))) << context();
    ASSERT_TRUE(pollUntil([&] { return eventsReceived("permissionRequest") == 2; }, 30s))
        << tui.screen() << context();

    // Any number of answers: two picked, then sent.
    ASSERT_TRUE(waitForCard()) << tui.screen() << context();
    ASSERT_TRUE(clickOnCard(QStringLiteral("Lint"))) << context();
    ASSERT_TRUE(clickOnCard(QStringLiteral("Tests"))) << context();
    ASSERT_TRUE(clickOnCard(QStringLiteral("Submit"))) << context();

    EXPECT_TRUE(tui.waitForScreen("All answered.")) << tui.screen();
    EXPECT_NE(resultText(1).find("\"Which database should we use?\"=\"SQLite\""), std::string::npos)
        << resultText(1);
    EXPECT_NE(resultText(2).find("\"Which checks should run?\"=\"Lint, Tests\""), std::string::npos)
        << resultText(2);
    EXPECT_TRUE(waitForNoCard()) << context();
}

TEST_F(HalvaneWithClaudeTest, ASessionShowsFromItsStartUntilItsEnd) {
    ClaudeTui tui(m_cli);
    ASSERT_TRUE(tui.start({"--permission-mode", "manual"})) << tui.why();
    // No prompt yet, let alone a tool call: Claude Code's start is enough.
    EXPECT_TRUE(pollUntil([&] { return logged(" started in " + m_cli.project().string()) == 1; }))
        << context();
    EXPECT_EQ(sessionsListed(), 1) << context();
    EXPECT_EQ(eventsReceived("preToolUse"), 0);

    tui.press("C-c");
    tui.press("C-c");
    EXPECT_TRUE(pollUntil([&] { return logged(" ended (prompt_input_exit)") == 1; }, 20s))
        << tui.screen() << context();
    EXPECT_TRUE(pollUntil([&] { return sessionsListed() == 0; }, 20s)) << context();
}

TEST_F(HalvaneWithClaudeTest, ABackgroundSubagentKeepsTheSessionWorkingUntilItsLastStop) {
    // The agent runs in the background, and its answer is held back until
    // the session's own turn has ended; all turns but the first are text.
    m_api.append(AssistantTurn::useTool("Agent", {{"description", "Look around"},
                                                  {"prompt", "Say hello"},
                                                  {"subagent_type", "general-purpose"}}));
    for (int turn = 0; turn < 4; ++turn) {
        m_api.append(AssistantTurn::say("Done."));
    }
    m_api.holdConversationsMentioning("Say hello");
    auto run = printInBackground("delegate");
    ASSERT_TRUE(
        pollUntil([&] { return logged(" ended a turn while background work goes on") == 1; }, 30s))
        << context();
    EXPECT_EQ(logged(" finished its work"), 0u) << context();
    m_api.release();

    ASSERT_EQ(run.wait_for(60s), std::future_status::ready) << context();
    const ChildResult result = run.get();
    ASSERT_EQ(result.exitStatus, 0) << result.standardError << context();
    ASSERT_TRUE(pollUntil([&] { return logged(" finished its work") >= 1; })) << context();
    EXPECT_EQ(logged(" ended a turn while background work goes on"), 1u) << context();
    EXPECT_EQ(logged(" finished its work"), 1u) << "one Done, one chime: " << context();
    const std::string log = appLog();
    EXPECT_LT(log.find(" ended a turn while background work goes on"),
              log.find(" finished its work"));
}

TEST_F(HalvaneWithClaudeTest, ASessionWaitingForItsNextPromptSaysSo) {
    m_api.append(AssistantTurn::say("Hello."));
    ClaudeTui tui(m_cli);
    ASSERT_TRUE(tui.start({"--permission-mode", "manual"})) << tui.why();
    tui.submit("Say hello");
    ASSERT_TRUE(tui.waitForScreen("Hello.")) << tui.screen();
    // Claude Code tells its hooks after a minute without a new prompt.
    EXPECT_TRUE(pollUntil([&] { return logged(" waits for the next prompt") == 1; }, 90s))
        << context();
}

}  // namespace
}  // namespace halvane::test
