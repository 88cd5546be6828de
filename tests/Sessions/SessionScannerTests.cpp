// Scans of a projects folder laid out by hand, with hand-written processes:
// which transcript speaks for a project, the time windows, what is logged.
#include <QSignalSpy>

#include "LogCapture.h"
#include "SessionScannerFixture.h"

using namespace halvane;
using test::SessionScannerTest;
namespace Lines = test::TranscriptWriter;
using Kind = SessionStatus::Kind;
using std::chrono::minutes;
using std::chrono::seconds;

namespace {

const std::filesystem::path fixtures = HALVANE_TEST_FIXTURES;

std::filesystem::path copyFixture(const std::string& name, const std::filesystem::path& to,
                                  Timestamp modified) {
    std::filesystem::create_directories(to.parent_path());
    std::filesystem::copy_file(fixtures / "claude-transcripts" / ("claude-code-log--" + name), to);
    Lines::setModified(to, modified);
    return to;
}

}  // namespace

TEST_F(SessionScannerTest, EachProjectGivesItsNewestSessionWhenAnAgentWorksThere) {
    const std::string app = "/home/ada/app";
    transcript("-home-ada-app", "older", {Lines::user("old question", app)}, seconds(100));
    transcript("-home-ada-app", "newer",
               {Lines::user("Add a dark mode", app), Lines::assistant("Dark mode is in.", app)},
               seconds(10));
    // A subagent written since belongs to a session and is none itself.
    transcript("-home-ada-app", "agent-5d1e", {Lines::user("Warmup", app)}, seconds(1));
    transcript("-home-ada-lib", "nobody-runs-here", {Lines::user("hi", "/home/ada/lib")});
    processes.add(shellPid, 901, "bash");
    processes.add(901, 1, "kitty");
    agent(42, app);

    test::LogCapture log;
    QSignalSpy scans(&scanner, &SessionScanner::scanned);
    scanner.scan();

    EXPECT_EQ(scans.count(), 1);
    ASSERT_EQ(ids(store.allSorted()), std::vector<std::string>{"newer"});
    const Session& found = session("newer");
    EXPECT_EQ(found.cwd, app);
    EXPECT_EQ(found.status.kind(), Kind::idle);
    EXPECT_EQ(found.firstUserPrompt, "Add a dark mode");
    EXPECT_EQ(found.lastUserMessage, "Add a dark mode");
    EXPECT_EQ(found.lastAssistantMessage, "Dark mode is in.");
    EXPECT_EQ(found.lastModel, "claude-opus-4-6");
    EXPECT_EQ(found.claudePid, 42);
    EXPECT_EQ(found.lastTerminalId, "net.kovidgoyal.kitty");
    EXPECT_EQ(found.lastTerminalPid, 901);
    EXPECT_EQ(found.lastTranscriptMtime, now - seconds(10));
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"Scanner: aliveCwds = [\"/home/ada/app\"]",
                                        "Scanner: discovered 1 sessions: [\"newer\"]"}));
}

TEST_F(SessionScannerTest, RealTranscriptsInTheirProjectFolders) {
    const auto log = projects() / "-Users-dain-workspace-claude-code-log";
    copyFixture("cbc0f75b-b36d-4efd-a7da-ac800ea30eb6.jsonl",
                log / "cbc0f75b-b36d-4efd-a7da-ac800ea30eb6.jsonl", now - seconds(20));
    // A 2.0 subagent next to its session, written later.
    copyFixture("agent-3be551df.jsonl", log / "agent-3be551df.jsonl", now - seconds(2));
    const auto next = projects() / "-Users-dain-workspace-danieldemmel-me-next";
    copyFixture("b25638d7-b104-4f06-a797-70ac33d069ed.jsonl",
                next / "b25638d7-b104-4f06-a797-70ac33d069ed.jsonl", now - seconds(30));
    // A 2.1 subagent in its session's own folder.
    copyFixture("agent-a36efb2a1231c41e2.jsonl",
                next / "b25638d7-b104-4f06-a797-70ac33d069ed" / "subagents" /
                    "agent-a36efb2a1231c41e2.jsonl",
                now - seconds(1));
    // Only a summary line: no cwd of its own, so the folder's name gives it.
    copyFixture("4e27c414-a885-46a0-b5c8-d58e1417377d.jsonl",
                projects() / "-Users-dain-workspace-claude-code-log-sample" /
                    "4e27c414-a885-46a0-b5c8-d58e1417377d.jsonl",
                now - seconds(40));
    agent(50, "/Users/dain/workspace/claude-code-log");
    agent(51, "/Users/dain/workspace/danieldemmel.me-next");
    agent(52, "/Users/dain/workspace/claude/code/log/sample");

    scanner.scan();

    ASSERT_EQ(store.sessions().size(), 3U);
    const Session& finished = session("cbc0f75b-b36d-4efd-a7da-ac800ea30eb6");
    EXPECT_EQ(finished.status.kind(), Kind::idle) << "its last answer ends the turn";
    EXPECT_EQ(finished.claudePid, 50);
    EXPECT_EQ(finished.lastModel, "claude-opus-4-20250514");
    EXPECT_EQ(finished.lastUserMessage,
              "Can you please update these tests? We're not doing these complex path selections, "
              "just picking the latest one from the list we got from messages");

    const Session& busy = session("b25638d7-b104-4f06-a797-70ac33d069ed");
    EXPECT_EQ(busy.status.kind(), Kind::working) << "written 30 s ago, no end of turn";
    EXPECT_EQ(busy.cwd, "/Users/dain/workspace/danieldemmel.me-next");
    EXPECT_EQ(busy.lastModel, "claude-sonnet-4-20250514");
    EXPECT_EQ(busy.claudePid, 51);

    const Session& summaryOnly = session("4e27c414-a885-46a0-b5c8-d58e1417377d");
    EXPECT_EQ(summaryOnly.cwd, "/Users/dain/workspace/claude/code/log/sample");
    EXPECT_EQ(summaryOnly.status.kind(), Kind::idle);
    EXPECT_FALSE(summaryOnly.firstUserPrompt || summaryOnly.lastAssistantMessage);
}

TEST_F(SessionScannerTest, AfterCompactOrAModelSwitchTheSessionIsIdleAtOnce) {
    // Claude Code 2.1's own transcripts, ending in /compact's and /model's lines.
    const auto copy21 = [&](const std::string& name, const std::string& sessionId) {
        const auto folder = projects() / ("-tmp-halvane-fixtures-" + name + "-project");
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(fixtures / "claude-transcripts-2.1" / (name + ".jsonl"),
                                   folder / (sessionId + ".jsonl"));
        Lines::setModified(folder / (sessionId + ".jsonl"), now - seconds(5));
        return folder;
    };
    const auto compacted = copy21("tui-compact", "0f16fa7f-2486-4955-a806-45a4ba57411b");
    copy21("tui-model", "9dde13f3-1e21-4c2d-8f42-e9572b61dc6d");
    // Its subagent, written since in the session's own folder, is no session.
    transcript(compacted.filename().string() + "/0f16fa7f-2486-4955-a806-45a4ba57411b/subagents",
               "agent-a1", {Lines::user("Warmup", "/tmp/halvane-fixtures/tui-compact/project")},
               seconds(1));
    agent(70, "/tmp/halvane-fixtures/tui-compact/project");
    agent(71, "/tmp/halvane-fixtures/tui-model/project");

    scanner.scan();

    ASSERT_EQ(store.sessions().size(), 2U);
    for (const char* id :
         {"0f16fa7f-2486-4955-a806-45a4ba57411b", "9dde13f3-1e21-4c2d-8f42-e9572b61dc6d"}) {
        const Session& found = session(id);
        EXPECT_EQ(found.status.kind(), Kind::idle) << id;
        EXPECT_EQ(found.lastUserMessage, "What is six times seven?") << id;
        EXPECT_EQ(found.lastAssistantMessage, "Hello! The answer is 42.") << id;
    }
}

TEST_F(SessionScannerTest, OldTranscriptsAreIgnoredAndQuietOnesHaveFinished) {
    agent(60, "/w/stale");
    agent(61, "/w/quiet");
    agent(62, "/w/recent");
    // Last seen starting a tool: a turn still under way, were it recent.
    const auto midTool = [](const std::string& cwd) {
        return std::vector<std::string>{Lines::user("Run the tests", cwd),
                                        Lines::assistant("Running them.", cwd, "tool_use")};
    };
    transcript("-w-stale", "stale", midTool("/w/stale"), minutes(11));
    transcript("-w-quiet", "quiet", midTool("/w/quiet"), seconds(90));
    transcript("-w-recent", "recent", midTool("/w/recent"), seconds(30));
    // A session the hooks reported, whose transcript has gone stale.
    HookEvent hooked = notification("stale");
    hooked.cwd = "/w/stale";
    store.handle(hooked, ignored());

    scanner.scan();

    EXPECT_FALSE(has("stale")) << "11 minutes old: dropped although its agent runs";
    ASSERT_TRUE(has("quiet") && has("recent"));
    EXPECT_EQ(session("quiet").status.kind(), Kind::idle) << "90 s without a write";
    EXPECT_EQ(session("recent").status.kind(), Kind::working);
}

TEST_F(SessionScannerTest, TheWindowsAreTheScannersToChoose) {
    agent(60, "/w/a");
    transcript("-w-a", "a", {Lines::assistant("Looking.", "/w/a", "tool_use")}, seconds(3));
    SessionScanner quick(
        store, ScannerTimings{.activeWindow = seconds(5), .quietTurnEnds = seconds(2)}, nullptr,
        Clock([this] { return now; }), std::make_unique<test::FakeProcessExitHandles>());
    quick.scan();
    ASSERT_TRUE(has("a"));
    EXPECT_EQ(session("a").status.kind(), Kind::idle);
    now += seconds(3);
    quick.scan();
    EXPECT_FALSE(has("a"));
}

TEST_F(SessionScannerTest, TheFirstAgentInProcessOrderSpeaksForItsFolder) {
    agent(70, "/w/app");
    agent(71, "/w/app");
    transcript("-w-app", "s", {Lines::user("hello", "/w/app")});
    scanner.scan();
    EXPECT_EQ(session("s").claudePid, 70);
}

TEST_F(SessionScannerTest, StrayEntriesAreSkipped) {
    agent(80, "/w/app");
    std::filesystem::create_directories(projects() / "-w-app" / "folder.jsonl");
    Lines::write(projects() / "-w-app" / "notes.txt", {Lines::user("x", "/w/app")}, now);
    Lines::write(projects() / "loose.jsonl", {Lines::user("x", "/w/app")}, now);
    std::filesystem::create_directories(projects() / "-w-empty");
    test::LogCapture log;
    scanner.scan();
    EXPECT_TRUE(store.sessions().empty());
    EXPECT_TRUE(log.contains("Scanner: discovered 0 sessions: []"));
}

TEST_F(SessionScannerTest, WithoutAProjectsFolderNothingIsReconciled) {
    store.handle(notification("hooked"), ignored());
    test::LogCapture log;
    QSignalSpy scans(&scanner, &SessionScanner::scanned);
    scanner.scan();
    EXPECT_TRUE(has("hooked"));
    EXPECT_EQ(scans.count(), 0);
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(SessionScannerTest, LaterScansFollowAppendedLines) {
    agent(90, "/w/app");
    const auto file = transcript("-w-app", "s", {Lines::user("Port it to Linux", "/w/app")});
    scanner.scan();
    EXPECT_EQ(session("s").status.kind(), Kind::working);

    Lines::append(file, Lines::assistant("Ported: it builds with CMake now.", "/w/app") + "\n");
    Lines::setModified(file, now);
    scanner.scan();
    EXPECT_EQ(session("s").lastAssistantMessage, "Ported: it builds with CMake now.");
    EXPECT_EQ(session("s").status.kind(), Kind::idle);
    EXPECT_EQ(session("s").lastTranscriptMtime, now);
}

TEST_F(SessionScannerTest, StartScansWatchesTheProjectsFolderAndPrunes) {
    agent(95, "/w/app");
    transcript("-w-app", "s", {Lines::user("hello", "/w/app")});
    SessionScanner running(store, ScannerTimings{.pruneInterval = std::chrono::milliseconds(10)},
                           std::make_unique<test::FakeFileWatcher>(watched),
                           Clock([this] { return now; }),
                           std::make_unique<test::FakeProcessExitHandles>());
    running.start();
    EXPECT_TRUE(has("s")) << "the first scan runs at once";
    EXPECT_EQ(watched->root, projects());

    transcript("-w-app", "t", {Lines::user("second session", "/w/app")}, seconds(1));
    QSignalSpy scans(&running, &SessionScanner::scanned);
    watched->onChange();
    EXPECT_EQ(scans.count(), 0) << "a file event schedules the scan, it does not run it";
    ASSERT_TRUE(scans.wait());
    EXPECT_TRUE(has("t"));
    EXPECT_FALSE(has("s"));

    processes.remove(95);
    EXPECT_TRUE(test::waitUntil([this] { return store.sessions().empty(); }));
    running.start();
    EXPECT_EQ(watched->watchCalls, 1) << "a second start does nothing";
}

TEST_F(SessionScannerTest, AFailedWatchIsTriedAgainAtTheNextFallbackScan) {
    watched->refuse = true;
    SessionScanner running(store, ScannerTimings{.fallbackInterval = std::chrono::milliseconds(10)},
                           std::make_unique<test::FakeFileWatcher>(watched),
                           Clock([this] { return now; }),
                           std::make_unique<test::FakeProcessExitHandles>());
    running.start();
    EXPECT_TRUE(std::filesystem::is_directory(projects()));
    watched->refuse = false;
    EXPECT_TRUE(test::waitUntil([this] { return watched->onChange != nullptr; }));
    EXPECT_EQ(watched->root, projects());
}

TEST_F(SessionScannerTest, TimersAndWatchDoNothingOnceTheScannerIsGone) {
    const auto quick = ScannerTimings{.pruneInterval = std::chrono::milliseconds(5),
                                      .fallbackInterval = std::chrono::milliseconds(5)};
    auto gone = std::make_unique<SessionScanner>(
        store, quick, std::make_unique<test::FakeFileWatcher>(watched),
        Clock([this] { return now; }), std::make_unique<test::FakeProcessExitHandles>());
    gone->start();
    // A session without an agent: any prune or scan would drop it.
    store.handle(notification("orphan"), ignored());
    watched->onChange();  // a scan is queued...
    gone.reset();         // ...and its scanner goes before it runs
    watched->onChange();  // a late report from the watcher

    // Another store with a slower scanner: once it has pruned, the gone
    // scanner's timers would have fired several times over.
    test::FakeProcessTable none;
    SessionStore other(sounds, preferences);
    other.setProcessTable(none);
    SessionScanner control(other, ScannerTimings{.pruneInterval = std::chrono::milliseconds(50)},
                           nullptr, Clock(), std::make_unique<test::FakeProcessExitHandles>());
    control.start();
    other.handle(notification("control"), ignored());
    ASSERT_TRUE(test::waitUntil([&other] { return other.sessions().empty(); }));
    EXPECT_TRUE(has("orphan"));
}
