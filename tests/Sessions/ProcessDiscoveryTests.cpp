// Finding running agents and the terminals hosting them, on a hand-written
// process table and on the machine's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "AgentProcess.h"
#include "FakeProcessTable.h"
#include "Halvane/Sessions/AgentCensus.h"
#include "Halvane/Sessions/SessionStore.h"
#include "TempDir.h"

using namespace halvane;
using test::FakeProcessTable;

namespace {

std::vector<std::int32_t> pidsOf(const std::vector<RunningClaude>& running) {
    std::vector<std::int32_t> pids;
    for (const RunningClaude& claude : running) {
        pids.push_back(claude.pid);
    }
    return pids;
}

// A chain of `count` plain processes above `pid`, each the parent of the one
// before; returns the pid of the topmost.
std::int32_t shells(FakeProcessTable& table, std::int32_t pid, int count) {
    for (int i = 1; i <= count; ++i) {
        table.add(pid + i, pid + i + 1, "zsh");
    }
    return pid + count;
}

}  // namespace

TEST(RunningClaudes, ANameOrAnExecutablePathNamingClaudeMakesACandidate) {
    FakeProcessTable table;
    table.add(10, 5, "claude").cwd = "/a";
    table.add(11, 5, "my-claude-wrapper").cwd = "/b";
    auto& byPath = table.add(12, 5, "node");
    byPath.cwd = "/c";
    byPath.executable = "/opt/Claude/bin/node";
    auto& plainNode = table.add(13, 5, "node");
    plainNode.cwd = "/d";
    plainNode.executable = "/usr/bin/node";
    table.add(14, 5, "bash").cwd = "/e";  // no readable executable
    auto& capitalised = table.add(15, 5, "Claude");
    capitalised.cwd = "/f";
    capitalised.executable = "/usr/bin/claudette";  // "/claude" need not end a name
    auto& notAFolder = table.add(16, 5, "node");
    notAFolder.cwd = "/g";
    notAFolder.executable = "/usr/lib/xclaude/node";

    const auto running = SessionStore::runningClaudes(table);
    EXPECT_EQ(pidsOf(running), (std::vector<std::int32_t>{10, 11, 12, 15}));
    EXPECT_EQ(running[2].cwd, "/c");
}

TEST(RunningClaudes, OrphansOfInitAndUnreadableFoldersAreNoAgents) {
    FakeProcessTable table;
    table.add(20, 1, "claude").cwd = "/orphan";
    table.add(21, 5, "claude");  // working directory unreadable
    table.add(22, 5, "claude").cwd = "/kept";
    EXPECT_EQ(pidsOf(SessionStore::runningClaudes(table)), std::vector<std::int32_t>{22});
    EXPECT_TRUE(SessionStore::runningClaudes(FakeProcessTable()).empty());
}

TEST(RunningClaudes, TwoAgentsInOneFolderGiveTheFolderOnce) {
    FakeProcessTable table;
    table.add(30, 5, "claude").cwd = "/work/app";
    table.add(31, 5, "claude").cwd = "/work/app";
    table.add(32, 5, "claude").cwd = "/work/lib";
    EXPECT_EQ(SessionStore::runningClaudes(table).size(), 3U);
    EXPECT_EQ(SessionStore::runningClaudeCwds(table),
              (std::set<std::string>{"/work/app", "/work/lib"}));
}

// Reading every process at every scan is what made an idle Halvane cost a
// share of a core on a machine running a thousand processes.
TEST(AgentCensus, ReadsAgainOnlyWhatMayHaveBecomeAnAgent) {
    using std::chrono::seconds;
    FakeProcessTable table;
    std::vector<FakeProcessTable::Entry*> shells;
    for (std::int32_t pid = 100; pid < 150; ++pid) {
        shells.push_back(&table.add(pid, 5, "bash"));
    }
    FakeProcessTable::Entry& agent = table.add(200, 5, "claude");
    agent.cwd = "/work/app";
    AgentCensus census(AgentCensus::Timings{.settle = seconds(10), .recount = seconds(120)});
    const Timestamp start = std::chrono::system_clock::now();
    EXPECT_EQ(pidsOf(census.count(table, start)), std::vector<std::int32_t>{200});

    // Still young: a shell's child may exec claude any moment.
    int before = table.queries();
    census.count(table, start + seconds(5));
    EXPECT_GE(table.queries() - before, 51);

    // Settled: only the agent and its parent are read, and what the agent
    // does (another folder) is seen at once.
    agent.cwd = "/work/other";
    before = table.queries();
    auto running = census.count(table, start + seconds(11));
    EXPECT_EQ(table.queries() - before, 2);
    ASSERT_EQ(pidsOf(running), std::vector<std::int32_t>{200});
    EXPECT_EQ(running[0].cwd, "/work/other");

    // A new process is read at once; a known one turned agent in place
    // (exec) only at the next full count, and gone ones are forgotten.
    table.add(300, 5, "claude").cwd = "/work/lib";
    shells[20]->info.name = "claude";
    shells[20]->cwd = "/work/exec";
    table.remove(149);
    EXPECT_EQ(pidsOf(census.count(table, start + seconds(30))),
              (std::vector<std::int32_t>{200, 300}));
    EXPECT_EQ(pidsOf(census.count(table, start + seconds(121))),
              (std::vector<std::int32_t>{120, 200, 300}));
    table.remove(200);
    EXPECT_EQ(pidsOf(census.count(table, start + seconds(122))),
              (std::vector<std::int32_t>{120, 300}));
}

TEST(DetectTerminal, TheNearestKnownAncestorLinuxNamesIncluded) {
    FakeProcessTable table;
    table.add(40, 41, "claude").cwd = "/w";
    table.add(41, 42, "bash");
    table.add(42, 43, "tmux: server");
    table.add(43, 44, "gnome-terminal-server");
    table.add(44, 1, "systemd");
    EXPECT_EQ(SessionStore::detectTerminal(40, table), (TerminalHost{"tmux", 42}));

    const auto running = SessionStore::runningClaudes(table);
    ASSERT_EQ(running.size(), 1U);
    EXPECT_EQ(running[0].terminalId, "tmux");
    EXPECT_EQ(running[0].terminalPid, 42);

    table.add(42, 43, "bash");
    EXPECT_EQ(SessionStore::detectTerminal(40, table), (TerminalHost{"org.gnome.Terminal", 43}));
}

TEST(DetectTerminal, TheAgentItselfIsNeverItsOwnTerminal) {
    FakeProcessTable table;
    table.add(50, 51, "kitty");
    table.add(51, 52, "bash");
    table.add(52, 1, "xterm");
    EXPECT_EQ(SessionStore::detectTerminal(50, table), (TerminalHost{"xterm", 52}));
}

TEST(DetectTerminal, LooksAtTenAncestorsAtMost) {
    FakeProcessTable table;
    table.add(100, 101, "claude");
    const std::int32_t tenth = shells(table, 100, 9) + 1;
    table.add(tenth, tenth + 1, "konsole");
    EXPECT_EQ(SessionStore::detectTerminal(100, table), (TerminalHost{"org.kde.konsole", tenth}));

    FakeProcessTable deeper;
    deeper.add(200, 201, "claude");
    const std::int32_t eleventh = shells(deeper, 200, 10) + 1;
    deeper.add(eleventh, eleventh + 1, "konsole");
    EXPECT_EQ(SessionStore::detectTerminal(200, deeper), TerminalHost{});
    EXPECT_EQ(deeper.queries(), 11) << "the agent and its first ten ancestors, no more";
}

TEST(DetectTerminal, AGapOrInitEndsTheWalkEmpty) {
    FakeProcessTable table;
    table.add(70, 71, "claude");  // 71 is gone
    table.add(80, 81, "claude");
    table.add(81, 1, "bash");
    table.add(1, 0, "kitty");  // never looked at: the walk stops below 2
    EXPECT_EQ(SessionStore::detectTerminal(70, table), TerminalHost{});
    EXPECT_EQ(SessionStore::detectTerminal(80, table), TerminalHost{});
    EXPECT_EQ(SessionStore::detectTerminal(999, table), TerminalHost{});
}

TEST(RunningClaudes, FindsRealAgentsByNameAndByExecutablePath) {
    const test::TempDir folder("agents");
    const auto cwd = std::filesystem::canonical(folder.path());
    std::filesystem::create_directories(cwd / "work");
    test::AgentProcess byName(test::AgentProcess::install(cwd / "bin", "claude"), cwd / "work");
    test::AgentProcess byPath(test::AgentProcess::install(cwd / "Claude-Tools", "agent"), cwd);
    test::AgentProcess neither(test::AgentProcess::install(cwd / "bin", "agent"), cwd);

    const auto running = SessionStore::runningClaudes();
    const auto find = [&running](std::int32_t pid) {
        return std::find_if(running.begin(), running.end(),
                            [pid](const RunningClaude& claude) { return claude.pid == pid; });
    };
    ASSERT_NE(find(byName.pid()), running.end());
    EXPECT_EQ(find(byName.pid())->cwd, (cwd / "work").string());
    ASSERT_NE(find(byPath.pid()), running.end());
    EXPECT_EQ(find(byPath.pid())->cwd, cwd.string());
    EXPECT_EQ(find(neither.pid()), running.end());
    EXPECT_TRUE(SessionStore::runningClaudeCwds().contains((cwd / "work").string()));

    byName.stop();
    EXPECT_FALSE(SessionStore::runningClaudeCwds().contains((cwd / "work").string()));
}
