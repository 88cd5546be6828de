// Merging what scans find into the store, and dropping sessions whose agent
// has gone, by the transitions a user sees in the session list.
#include <QSignalSpy>

#include "FakeProcessTable.h"
#include "LogCapture.h"
#include "SessionStoreFixture.h"

using namespace halvane;
using test::SessionStoreTest;
using Kind = SessionStatus::Kind;
using std::chrono::seconds;

namespace {

DiscoveredSession found(const std::string& id, Timestamp mtime, bool turnComplete) {
    DiscoveredSession record;
    record.sessionId = id;
    record.cwd = "/work/" + id;
    record.mtime = mtime;
    record.turnComplete = turnComplete;
    return record;
}

}  // namespace

TEST_F(SessionStoreTest, DiscoveredSessionsStartIdleWhenTheirTurnIsOverElseWorking) {
    DiscoveredSession done = found("done", at(4000), true);
    done.firstPrompt = "Fix the build";
    done.lastUser = "Thanks";
    done.lastAssistant = "All green.";
    done.lastModel = "claude-opus-4-6";
    done.claudePid = 77;
    done.terminalId = "org.kde.konsole";
    done.terminalPid = 70;
    store.reconcileDiscovered({done, found("busy", at(4100), false)});

    const Session& idle = session("done");
    EXPECT_EQ(idle.status.kind(), Kind::idle);
    EXPECT_EQ(idle.cwd, "/work/done");
    EXPECT_EQ(idle.lastEvent, at(4000));
    EXPECT_EQ(idle.lastTranscriptMtime, at(4000));
    EXPECT_EQ(idle.firstUserPrompt, "Fix the build");
    EXPECT_EQ(idle.lastUserMessage, "Thanks");
    EXPECT_EQ(idle.lastAssistantMessage, "All green.");
    EXPECT_EQ(idle.lastModel, "claude-opus-4-6");
    EXPECT_EQ(idle.claudePid, 77);
    EXPECT_EQ(idle.lastTerminalId, "org.kde.konsole");
    EXPECT_EQ(idle.lastTerminalPid, 70);
    EXPECT_FALSE(idle.justFinishedAt || idle.lastStoppedAt);
    EXPECT_TRUE(idle.history.empty());
    EXPECT_EQ(session("busy").status.kind(), Kind::working);
    EXPECT_EQ(ids(store.allSorted()), (std::vector<std::string>{"busy", "done"}));
}

TEST_F(SessionStoreTest, KnownSessionsTakeWhatTheScanHasAndKeepWhatItLacks) {
    HookEvent hooked = notification("a", 4500);
    hooked.terminalId = "org.gnome.Terminal";
    hooked.terminalPid = 10;
    hooked.claudePid = 11;
    store.handle(hooked, ignored());

    DiscoveredSession older = found("a", at(4400), false);
    older.cwd = "/work/a/sub";
    older.firstPrompt = "first";
    older.lastUser = "first";
    older.lastModel = "claude-sonnet-4-5";
    store.reconcileDiscovered({older});
    const Session& merged = session("a");
    EXPECT_EQ(merged.cwd, "/work/a/sub");
    EXPECT_EQ(merged.lastEvent, at(4500)) << "an older transcript write is no newer activity";
    EXPECT_EQ(merged.lastTranscriptMtime, at(4400));
    EXPECT_EQ(merged.lastTerminalId, "org.gnome.Terminal");
    EXPECT_EQ(merged.lastTerminalPid, 10);
    EXPECT_EQ(merged.claudePid, 11);
    EXPECT_EQ(merged.history.size(), 1U);
    EXPECT_EQ(merged.status.kind(), Kind::working);

    DiscoveredSession later = found("a", at(4600), true);
    later.firstPrompt = "a later first prompt";
    later.lastAssistant = "Done.";
    later.claudePid = 12;
    later.terminalId = "tmux";
    store.reconcileDiscovered({later});
    EXPECT_EQ(session("a").lastEvent, at(4600));
    EXPECT_EQ(session("a").firstUserPrompt, "first") << "the first prompt is set once";
    EXPECT_EQ(session("a").lastUserMessage, "first") << "an empty value keeps the known one";
    EXPECT_EQ(session("a").lastModel, "claude-sonnet-4-5");
    EXPECT_EQ(session("a").lastAssistantMessage, "Done.");
    EXPECT_EQ(session("a").claudePid, 12);
    EXPECT_EQ(session("a").lastTerminalId, "tmux");
    EXPECT_EQ(session("a").lastTerminalPid, 10);
    EXPECT_EQ(session("a").status.kind(), Kind::idle);
}

TEST_F(SessionStoreTest, ARecentStopHoldsUntilTheTranscriptMovesOnOrAMinutePasses) {
    store.handle(stop("a"), ignored());
    const Timestamp stoppedAt = now;
    now += seconds(30);

    // The unfinished turn is the stop's own, written just before the hook ran.
    store.reconcileDiscovered({found("a", stoppedAt + seconds(1), false)});
    EXPECT_EQ(session("a").status.kind(), Kind::idle);
    store.reconcileDiscovered({found("a", stoppedAt + seconds(2), false)});
    EXPECT_EQ(session("a").status.kind(), Kind::idle);
    // Written well after the stop: a new turn.
    store.reconcileDiscovered({found("a", stoppedAt + seconds(5), false)});
    EXPECT_EQ(session("a").status.kind(), Kind::working);

    store.handle(stop("a"), ignored());
    const Timestamp secondStop = now;
    now += seconds(61);
    store.reconcileDiscovered({found("a", secondStop + seconds(1), false)});
    EXPECT_EQ(session("a").status.kind(), Kind::working) << "a stop holds for under a minute";

    store.reconcileDiscovered({found("a", secondStop + seconds(70), true)});
    EXPECT_EQ(session("a").status.kind(), Kind::idle);
}

TEST_F(SessionStoreTest, SessionsAScanDidNotFindAreDroppedUnlessWaiting) {
    store.handle(notification("hooked"), ignored());
    store.handle(request("asking", "Bash", R"({"command":"rm -rf build"})"), ignored());
    store.reconcileDiscovered({found("seen", at(4000), true)});
    EXPECT_EQ(ids(store.allSorted()), (std::vector<std::string>{"seen", "asking"}));

    DiscoveredSession update = found("asking", at(4900), true);
    update.lastAssistant = "I need to clean the build folder.";
    store.reconcileDiscovered({update});
    const Session& asking = session("asking");
    ASSERT_EQ(asking.status.kind(), Kind::waitingForUser) << "a scan never ends a waiting prompt";
    EXPECT_EQ(asking.lastAssistantMessage, "I need to clean the build folder.");
    EXPECT_FALSE(store.sessions().contains("seen"));

    store.reconcileDiscovered({});
    EXPECT_TRUE(store.sessions().contains("asking"));
}

TEST_F(SessionStoreTest, ReconcileNotifiesOnlyWhenSomethingChanged) {
    QSignalSpy changes(&store, &SessionStore::changed);
    const DiscoveredSession record = found("a", at(4000), false);
    store.reconcileDiscovered({record});
    EXPECT_EQ(changes.count(), 1);
    store.reconcileDiscovered({record});
    store.reconcileDiscovered({record});
    EXPECT_EQ(changes.count(), 1) << "the same scan result again is no change";

    DiscoveredSession answered = record;
    answered.lastAssistant = "Done.";
    store.reconcileDiscovered({answered});
    EXPECT_EQ(changes.count(), 2);
    store.reconcileDiscovered({});
    EXPECT_EQ(changes.count(), 3);
    store.reconcileDiscovered({});
    EXPECT_EQ(changes.count(), 3);
}

TEST_F(SessionStoreTest, PruneDropsSessionsWithoutALiveAgentAndSaysWhich) {
    test::FakeProcessTable processes;
    processes.add(20, 5, "claude").cwd = "/work/shared";
    processes.add(21, 5, "claude").cwd = "/work/shared";
    processes.add(22, 5, "claude").cwd = "/work/other \"quoted\"";
    store.setProcessTable(processes);

    HookEvent first = notification("first");
    first.cwd = "/work/shared";
    HookEvent second = notification("second");
    second.cwd = "/work/shared";
    store.handle(first, ignored());
    store.handle(second, ignored());
    store.handle(notification("0123456789abcdef-dead"), ignored());
    store.handle(request("waiting", "Bash", R"({"command":"ls"})"), ignored());

    QSignalSpy changes(&store, &SessionStore::changed);
    test::LogCapture log;
    store.pruneDeadProcesses();
    EXPECT_EQ(ids(store.allSorted()), (std::vector<std::string>{"first", "second", "waiting"}));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{
                  "Prune: removing session 01234567 cwd=/work/0123456789abcdef-dead (not in "
                  "alive=[\"/work/other \\\"quoted\\\"\", \"/work/shared\"])"});

    store.pruneDeadProcesses();
    EXPECT_EQ(changes.count(), 1) << "nothing removed, nothing to notify";

    processes.remove(20);
    store.pruneDeadProcesses();
    EXPECT_EQ(store.sessions().size(), 3U) << "one agent still works in the folder";
    processes.remove(21);
    store.resolve("waiting", HookDecision{HookDecision::Decision::approve, {}, {}});
    store.pruneDeadProcesses();
    EXPECT_TRUE(store.sessions().empty()) << "answered, the session is pruned like any other";
}
