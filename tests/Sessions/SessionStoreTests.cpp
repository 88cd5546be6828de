#include <QSignalSpy>
#include <QSysInfo>
#include <fstream>

#include "Files.h"
#include "Halvane/Sessions/HooksInstaller.h"
#include "SessionStoreFixture.h"

using namespace halvane;
using test::SessionStoreTest;
using Decision = HookDecision::Decision;
using Kind = SessionStatus::Kind;

namespace {

HookDecision answer(Decision decision) {
    return HookDecision{decision, std::nullopt, std::nullopt};
}

}  // namespace

TEST_F(SessionStoreTest, FirstNotificationCreatesAnIdleSessionAnsweredPassthroughAtOnce) {
    QSignalSpy changes(&store, &SessionStore::changed);
    HookEvent first = notification("a", 42);
    first.message = "Claude needs your attention";
    store.handle(first, recorder());

    ASSERT_EQ(answers, std::vector{answer(Decision::passthrough)});
    EXPECT_EQ(changes.count(), 1);
    const Session& made = session("a");
    EXPECT_EQ(made.cwd, "/work/a");
    EXPECT_EQ(made.status.kind(), Kind::idle);
    EXPECT_EQ(made.lastEvent, at(42));
    EXPECT_FALSE(made.justFinishedAt || made.lastStoppedAt || made.claudePid);
    ASSERT_EQ(made.history.size(), 1U);
    EXPECT_EQ(made.history[0].summary, "Claude needs your attention");
    EXPECT_EQ(made.history[0].kind, HookEvent::Kind::notification);
    EXPECT_EQ(made.history[0].timestamp, at(42));
}

TEST_F(SessionStoreTest, UncoveredRequestWaitsUntilResolvedThenWorksWhateverTheAnswer) {
    store.handle(stop("a"), ignored());
    const HookEvent asked = request("a", "Bash", R"({"command":"make"})");
    store.handle(asked, recorder());
    EXPECT_TRUE(answers.empty());
    ASSERT_EQ(session("a").status.kind(), Kind::waitingForUser);
    EXPECT_EQ(session("a").status.prompt()->event, asked);
    EXPECT_FALSE(session("a").justFinishedAt) << "a waiting prompt ends the finished flash";

    store.resolve("a", answer(Decision::deny));
    EXPECT_EQ(answers, std::vector{answer(Decision::deny)});
    EXPECT_EQ(session("a").status.kind(), Kind::working);

    QSignalSpy changes(&store, &SessionStore::changed);
    store.resolve("a", answer(Decision::approve));
    store.resolve("nobody", answer(Decision::approve));
    store.resolveAlways("a");
    EXPECT_EQ(answers.size(), 1U) << "a prompt is answered once";
    EXPECT_EQ(changes.count(), 0) << "nothing to resolve is no change";
}

TEST_F(SessionStoreTest, CoveredCallIsApprovedAtOnceAndWorks) {
    preferences.setAskBeforeEveryToolCall(true);
    std::ofstream(claudeFolder / "settings.json")
        << R"json({"permissions":{"allow":["Bash(git:*)"]}})json";
    store.reloadAllowPatterns();
    store.handle(call("a", "Bash", R"({"command":"git status"})"), recorder());
    EXPECT_EQ(answers, std::vector{answer(Decision::approve)});
    EXPECT_EQ(session("a").status.kind(), Kind::working);

    store.handle(call("a", "Bash", R"({"command":"git status; rm -rf ~"})"), recorder());
    EXPECT_EQ(answers.size(), 1U);
    EXPECT_EQ(session("a").status.kind(), Kind::waitingForUser);
}

TEST_F(SessionStoreTest, StopIsIdleFinishedAtReceiveTimeAndAnsweredPassthrough) {
    now = at(9000);
    store.handle(stop("a", 100), recorder());
    EXPECT_EQ(answers, std::vector{answer(Decision::passthrough)});
    const Session& stopped = session("a");
    EXPECT_EQ(stopped.status.kind(), Kind::idle);
    EXPECT_EQ(stopped.justFinishedAt, at(9000));
    EXPECT_EQ(stopped.lastStoppedAt, at(9000));
    EXPECT_EQ(stopped.lastEvent, at(100));
    EXPECT_EQ(stopped.history.back().summary, "Session ended");
}

TEST_F(SessionStoreTest, NoRequestIsLeftWaitingOnACardThatIsGone) {
    std::vector<HookDecision> first;
    store.handle(request("a", "Edit", "{}"),
                 [&first](const HookDecision& decision) { first.push_back(decision); });
    store.handle(request("a", "Write", "{}"), recorder());
    ASSERT_EQ(session("a").status.prompt()->event.tool, "Write");
    EXPECT_EQ(first, std::vector{answer(Decision::passthrough)})
        << "the replaced request is left to the terminal, not held for ever";
    store.resolve("a", answer(Decision::approve));
    EXPECT_EQ(answers, std::vector{answer(Decision::approve)});

    // A subagent's stop does not end a request Claude Code still waits on.
    answers.clear();
    store.handle(request("b", "Edit", "{}"), recorder());
    store.handle(stop("b"), ignored());
    EXPECT_EQ(session("b").status.kind(), Kind::waitingForUser);
    EXPECT_FALSE(session("b").justFinishedAt);
    store.resolve("b", answer(Decision::approve));
    EXPECT_EQ(answers, std::vector{answer(Decision::approve)});
}

TEST_F(SessionStoreTest, CardsFollowWhatClaudeCodeAsksAndLiveOnlyWhileItWaits) {
    const std::string make = R"({"command":"make"})";
    // A call Claude Code runs without asking: working, answered at once, in the history.
    store.handle(call("a", "Bash", make), recorder());
    EXPECT_EQ(answers, std::vector{answer(Decision::passthrough)});
    EXPECT_EQ(session("a").status.kind(), Kind::working);
    EXPECT_EQ(session("a").history.back().summary, "Bash: make");

    // It asks: a card, held; the tool's end settles it (answered Yes in the terminal).
    answers.clear();
    store.handle(request("a", "Bash", make), recorder());
    EXPECT_TRUE(answers.empty());
    ASSERT_EQ(session("a").status.kind(), Kind::waitingForUser);
    EXPECT_EQ(session("a").history.size(), 1U) << "the request repeats the call's history line";
    store.handle(ran("a", "Bash", R"({"command":"ls"})"), ignored());
    EXPECT_EQ(session("a").status.kind(), Kind::waitingForUser) << "another call ran";
    store.handle(ran("a", "Bash", R"({ "command" : "make" })"), ignored());
    EXPECT_EQ(answers, std::vector{answer(Decision::passthrough)}) << "the relay is released";
    EXPECT_EQ(session("a").status.kind(), Kind::working);
    store.resolve("a", answer(Decision::approve));
    EXPECT_EQ(answers.size(), 1U) << "a settled card takes no answer";

    // Claude Code gave up on it (answered No in the terminal): the card goes.
    answers.clear();
    const HookEvent asked = request("a", "Bash", make, 200);
    store.handle(asked, recorder());
    store.withdraw(request("a", "Bash", make, 150));
    EXPECT_EQ(session("a").status.kind(), Kind::waitingForUser) << "an older request's client";
    store.withdraw(asked);
    EXPECT_EQ(session("a").status.kind(), Kind::working);
    EXPECT_TRUE(answers.empty());

    // Asking in the terminal without a request: a card to jump from, gone with the next event.
    HookEvent asking = notification("a", 300);
    asking.notificationType = "permission_prompt";
    asking.message = "Claude needs your permission to use Bash";
    store.handle(asking, recorder());
    ASSERT_EQ(session("a").status.kind(), Kind::waitingForUser);
    EXPECT_FALSE(session("a").status.prompt()->respond);
    store.handle(call("a", "Read", "{}"), ignored());
    EXPECT_EQ(session("a").status.kind(), Kind::working);
    // ...and no such card over a request the user can answer here.
    store.handle(asked, ignored());
    store.handle(asking, ignored());
    EXPECT_EQ(session("a").status.prompt()->event, asked);

    // Asked before every call: the call prompts, Claude Code's own request does not.
    preferences.setAskBeforeEveryToolCall(true);
    answers.clear();
    store.handle(request("b", "Bash", make), recorder());
    EXPECT_EQ(answers, std::vector{answer(Decision::passthrough)});
    store.handle(call("b", "Bash", make), recorder());
    EXPECT_EQ(session("b").status.kind(), Kind::waitingForUser);
    EXPECT_EQ(answers.size(), 1U);
}

TEST_F(SessionStoreTest, AlwaysOnClaudeCodesRequestHandsBackItsOwnSuggestion) {
    const std::string suggestions =
        R"([{"type":"setMode","mode":"acceptEdits","destination":"session"}])";
    HookEvent asked = request("a", "Write", R"({"file_path":"/work/a/x"})");
    asked.permissionSuggestions = suggestions;
    store.handle(asked, recorder());
    store.resolveAlways("a");
    ASSERT_EQ(answers.size(), 1U);
    EXPECT_EQ(answers[0].decision, Decision::approve);
    EXPECT_EQ(answers[0].updatedPermissions, suggestions);
    EXPECT_TRUE(store.allowPatterns().empty()) << "Claude Code stores the rule, not Halvane";
    EXPECT_FALSE(std::filesystem::exists(claudeFolder / "settings.json"));

    // Nothing suggested, nothing to remember: Always does nothing at all.
    answers.clear();
    store.handle(request("b", "Bash", R"({"command":"rm -rf build"})"), recorder());
    store.resolveAlways("b");
    EXPECT_TRUE(answers.empty());
    EXPECT_EQ(session("b").status.kind(), Kind::waitingForUser);
}

TEST_F(SessionStoreTest, HistoryKeepsTheNewestTwentyOldestFirst) {
    for (int i = 1; i <= 21; ++i) {
        HookEvent numbered = notification("a", i);
        numbered.message = "event " + std::to_string(i);
        store.handle(numbered, ignored());
    }
    const auto& history = session("a").history;
    ASSERT_EQ(history.size(), SessionStore::historyLimit);
    EXPECT_EQ(history.front().summary, "event 2");
    EXPECT_EQ(history.back().summary, "event 21");
    EXPECT_NE(history.front().id, history.back().id);
}

TEST_F(SessionStoreTest, EventsUpdateCwdAndTimeAlwaysButTerminalFieldsOnlyWhenPresent) {
    HookEvent located = notification("a", 500);
    located.terminalId = "org.gnome.Terminal";
    located.terminalPid = 77;
    located.claudePid = 88;
    store.handle(located, ignored());

    HookEvent bare = notification("a", 400);
    bare.cwd = "/elsewhere";
    store.handle(bare, ignored());
    EXPECT_EQ(session("a").cwd, "/elsewhere");
    EXPECT_EQ(session("a").lastEvent, at(400)) << "even an older timestamp is taken";
    EXPECT_EQ(session("a").lastTerminalId, "org.gnome.Terminal");
    EXPECT_EQ(session("a").lastTerminalPid, 77);
    EXPECT_EQ(session("a").claudePid, 88);

    HookEvent moved = notification("a", 600);
    moved.terminalId = "org.kde.konsole";
    moved.claudePid = 99;
    store.handle(moved, ignored());
    EXPECT_EQ(session("a").lastTerminalId, "org.kde.konsole");
    EXPECT_EQ(session("a").claudePid, 99);
    EXPECT_EQ(session("a").lastTerminalPid, 77);
    EXPECT_EQ(session("a").remoteHost, std::nullopt);

    // Through an ssh forward from another machine: its process ids and
    // terminal mean nothing here, and the session says where it runs.
    HookEvent remote = notification("r", 700);
    remote.hostName = "build-box";
    remote.terminalPid = 4242;
    remote.claudePid = 4343;
    store.handle(remote, ignored());
    EXPECT_EQ(session("r").remoteHost, "build-box");
    EXPECT_EQ(session("r").lastTerminalPid, std::nullopt);
    EXPECT_EQ(session("r").claudePid, std::nullopt);

    HookEvent here = notification("a", 800);
    here.hostName = QSysInfo::machineHostName().toStdString();
    here.claudePid = 101;
    store.handle(here, ignored());
    EXPECT_EQ(session("a").remoteHost, std::nullopt);
    EXPECT_EQ(session("a").claudePid, 101);
}

TEST_F(SessionStoreTest, ListsPutTheNewestFirstAndKeepIdOrderOnTies) {
    store.handle(request("c", "Edit", "{}", 300), ignored());
    store.handle(request("a", "Edit", "{}", 300), ignored());
    store.handle(notification("d", 900), ignored());
    store.handle(request("b", "Edit", "{}", 100), ignored());
    store.handle(notification("e", 300), ignored());
    EXPECT_EQ(ids(store.pending()), (std::vector<std::string>{"a", "c", "b"}));
    EXPECT_EQ(ids(store.allSorted()), (std::vector<std::string>{"d", "a", "c", "e", "b"}));

    now = at(10);
    store.handle(stop("x", 1), ignored());
    now = at(30);
    store.handle(stop("y", 1), ignored());
    now = at(20);
    store.handle(stop("z", 1), ignored());
    EXPECT_EQ(ids(store.justFinished()), (std::vector<std::string>{"y", "z", "x"}));
}

TEST_F(SessionStoreTest, SummariesNameWhatWasAsked) {
    const std::string command(100, 'x');
    const auto summary = [](HookEvent event) { return SessionStore::summarize(event); };
    EXPECT_EQ(summary(request("a", "Bash", R"({"command":")" + command + R"("})")),
              "Bash: " + command.substr(0, 60));
    EXPECT_EQ(summary(request("a", "Bash", R"({"command":"ls"})")), "Bash: ls");
    // Sixty characters, not sixty bytes: no character is cut in half.
    const std::string accented = R"({"command":")" + std::string(59, 'e') + "\u00e9\u00e9\"}";
    EXPECT_EQ(summary(request("a", "Bash", accented)), "Bash: " + std::string(59, 'e') + "\u00e9");
    EXPECT_EQ(summary(request("a", "Edit", R"({"file_path":"/a/b/c.txt"})")), "Edit c.txt");
    EXPECT_EQ(summary(request("a", "Bash", R"({"file_path":"/a/run.sh"})")), "Bash run.sh");
    EXPECT_EQ(summary(request("a", "Write", R"({"file_path":"/a/dir/"})")), "Write dir");
    EXPECT_EQ(summary(request("a", "Edit", "not json")), "Edit");
    EXPECT_EQ(summary(request("a", "Edit", R"({"file_path":7})")), "Edit");
    HookEvent toolless = request("a", "x", "{}");
    toolless.tool.reset();
    EXPECT_EQ(summary(toolless), "Permission requested");
    EXPECT_EQ(summary(notification("a")), "Notification");
    EXPECT_EQ(summary(stop("a")), "Session ended");
}

TEST_F(SessionStoreTest, AlwaysWritesTheRuleOnceAndApprovesLikeRequestsFromThenOn) {
    preferences.setAskBeforeEveryToolCall(true);
    store.handle(call("a", "Bash", R"({"command":"  ls   -la"})"), recorder());
    store.resolveAlways("a");
    EXPECT_EQ(answers, std::vector{answer(Decision::approve)});
    EXPECT_EQ(session("a").status.kind(), Kind::working);
    EXPECT_EQ(store.allowPatterns(), std::vector<std::string>{"Bash(ls:*)"});
    EXPECT_EQ(HooksInstaller::currentAllowPatterns(), std::vector<std::string>{"Bash(ls:*)"});

    store.handle(call("b", "Bash", R"({"command":"ls /tmp"})"), recorder());
    EXPECT_EQ(answers.size(), 2U);
    EXPECT_EQ(session("b").status.kind(), Kind::working);
}

TEST_F(SessionStoreTest, AlwaysForAKnownRuleAddsNoDuplicate) {
    preferences.setAskBeforeEveryToolCall(true);
    // Asked before the rule was loaded, so it waits.
    store.handle(call("a", "Edit", "{}"), recorder());
    const std::string settings = R"({"permissions":{"allow":["Edit"]}})";
    std::ofstream(claudeFolder / "settings.json") << settings;
    store.reloadAllowPatterns();
    store.resolveAlways("a");
    EXPECT_EQ(answers, std::vector{answer(Decision::approve)});
    EXPECT_EQ(store.allowPatterns(), std::vector<std::string>{"Edit"});
    EXPECT_EQ(test::readFile(claudeFolder / "settings.json"), settings);
}

TEST_F(SessionStoreTest, AlwaysWithoutADerivableRuleStillApproves) {
    preferences.setAskBeforeEveryToolCall(true);
    HookEvent toolless = call("a", "x", "{}");
    toolless.tool.reset();
    store.handle(toolless, recorder());
    store.resolveAlways("a");
    EXPECT_EQ(answers, std::vector{answer(Decision::approve)});
    EXPECT_TRUE(store.allowPatterns().empty());
    EXPECT_FALSE(std::filesystem::exists(claudeFolder / "settings.json"));
}

TEST_F(SessionStoreTest, ReloadTakesTheFileListOrNothingAndSignalsOnlyChanges) {
    QSignalSpy changes(&store, &SessionStore::changed);
    store.reloadAllowPatterns();
    EXPECT_EQ(changes.count(), 0) << "no file, no rules, nothing changed";
    std::ofstream(claudeFolder / "settings.json") << R"({"permissions":{"allow":["Read","Edit"]}})";
    store.reloadAllowPatterns();
    store.reloadAllowPatterns();
    EXPECT_EQ(store.allowPatterns(), (std::vector<std::string>{"Read", "Edit"}));
    EXPECT_EQ(changes.count(), 1);
    std::ofstream(claudeFolder / "settings.json") << R"({"permissions":{"allow":["Read",1]}})";
    store.reloadAllowPatterns();
    EXPECT_TRUE(store.allowPatterns().empty());
}

TEST_F(SessionStoreTest, EveryStopChimesUnlessSoundsAreTurnedOff) {
    store.handle(notification("a"), ignored());
    store.handle(call("a", "Edit", "{}"), ignored());
    EXPECT_TRUE(sounds.played.empty());
    store.handle(stop("a"), ignored());
    store.handle(stop("a"), ignored());
    EXPECT_EQ(sounds.played, (std::vector{SoundPlayer::Sound::glass, SoundPlayer::Sound::glass}));

    preferences.setSoundsEnabled(false);
    store.handle(stop("a"), ignored());
    EXPECT_EQ(sounds.played.size(), 2U);
    EXPECT_TRUE(session("a").justFinishedAt) << "silence changes only the sound";
}

TEST_F(SessionStoreTest, ASessionsLifeFollowsClaudeCodesOwnEvents) {
    const auto lifecycle = [](HookEvent::Kind kind, double at) {
        return SessionStoreTest::event(kind, "a", at);
    };
    HookEvent started = lifecycle(HookEvent::Kind::sessionStart, 1);
    started.model = "claude-opus-4-5";
    started.transcriptPath = "/home/ada/.claude/projects/-work-a/a.jsonl";
    store.handle(started, recorder());
    ASSERT_EQ(store.sessions().count("a"), 1U) << "a session shows from its start";
    EXPECT_EQ(session("a").status.kind(), Kind::idle);
    EXPECT_EQ(session("a").lastModel, "claude-opus-4-5");
    EXPECT_EQ(session("a").transcriptPath, started.transcriptPath);
    store.reconcileDiscovered({});
    EXPECT_EQ(store.sessions().count("a"), 1U) << "no transcript yet, but Claude Code said it runs";

    HookEvent prompt = lifecycle(HookEvent::Kind::userPromptSubmit, 2);
    prompt.message = "Split the billing module";
    store.handle(prompt, ignored());
    EXPECT_EQ(session("a").status.kind(), Kind::working);
    EXPECT_EQ(session("a").lastUserMessage, "Split the billing module");
    store.handle(call("a", "Bash", R"({"command":"make"})", 3), ignored());
    EXPECT_EQ(session("a").currentTool, "Bash: make");
    store.handle(ran("a", "Bash", R"({"command":"make"})", 4), ignored());
    EXPECT_FALSE(session("a").currentTool);

    // A background subagent: its calls are not the session's own, and the
    // first stop leaves the session working, without a chime.
    HookEvent agent = lifecycle(HookEvent::Kind::subagentStart, 5);
    agent.agentId = "agent-1";
    store.handle(agent, ignored());
    HookEvent agentCall = call("a", "Read", R"({"file_path":"/work/a/x"})", 6);
    agentCall.agentId = "agent-1";
    store.handle(agentCall, ignored());
    EXPECT_EQ(session("a").runningAgents, std::set<std::string>{"agent-1"});
    EXPECT_FALSE(session("a").currentTool);
    HookEvent turnEnds = stop("a", 7);
    turnEnds.backgroundTasks = true;
    store.handle(turnEnds, ignored());
    EXPECT_EQ(session("a").status.kind(), Kind::working);
    EXPECT_FALSE(session("a").justFinishedAt);
    HookEvent agentEnds = lifecycle(HookEvent::Kind::subagentStop, 8);
    agentEnds.agentId = "agent-1";
    store.handle(agentEnds, ignored());
    HookEvent handedBack = lifecycle(HookEvent::Kind::userPromptSubmit, 9);
    handedBack.message = "<task-notification>\n<task-id>agent-1</task-id>";
    store.handle(handedBack, ignored());
    EXPECT_EQ(session("a").lastUserMessage, "Split the billing module")
        << "a result handed back is not the user's request";
    store.handle(stop("a", 10), ignored());
    EXPECT_EQ(session("a").status.kind(), Kind::idle);
    EXPECT_TRUE(session("a").justFinishedAt);
    EXPECT_EQ(sounds.played.size(), 1U) << "one chime, when all the work is done";
    for (const HistoryEntry& entry : session("a").history) {
        EXPECT_NE(entry.summary, "Read x") << "the subagent's call is not in the history";
    }

    // Claude Code waits for the next prompt: shown until the session moves.
    HookEvent idle = notification("a", 70);
    idle.notificationType = "idle_prompt";
    store.handle(idle, ignored());
    EXPECT_TRUE(session("a").awaitingPrompt);
    store.handle(prompt, ignored());
    EXPECT_FALSE(session("a").awaitingPrompt);

    // The end removes the session and lets go of anything it still held.
    store.handle(request("a", "Bash", R"({"command":"rm -r build"})", 80), recorder());
    answers.clear();
    HookEvent ended = lifecycle(HookEvent::Kind::sessionEnd, 90);
    ended.message = "prompt_input_exit";
    store.handle(ended, recorder());
    EXPECT_EQ(store.sessions().count("a"), 0U);
    EXPECT_EQ(answers, (std::vector{answer(Decision::passthrough), answer(Decision::passthrough)}));
}
