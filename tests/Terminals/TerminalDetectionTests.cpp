#include <gtest/gtest.h>

#include "FakeProcessTable.h"
#include "Halvane/Terminals/TerminalDetection.h"

using halvane::detectClaudePid;
using halvane::detectTerminal;
using halvane::test::FakeProcessTable;

TEST(TermProgram, MapsKnownProgramsExactly) {
    EXPECT_EQ(halvane::terminalIdForTermProgram("ghostty"), "com.mitchellh.ghostty");
    EXPECT_EQ(halvane::terminalIdForTermProgram("iTerm.app"), std::nullopt);
    EXPECT_EQ(halvane::terminalIdForTermProgram("WezTerm"), "com.github.wez.wezterm");
    EXPECT_EQ(halvane::terminalIdForTermProgram("tmux"), "tmux");
    EXPECT_EQ(halvane::terminalIdForTermProgram("wezterm"), std::nullopt);
    EXPECT_EQ(halvane::terminalIdForTermProgram("kitty"), std::nullopt);
    EXPECT_EQ(halvane::terminalIdForTermProgram(nullptr), std::nullopt);
}

TEST(TerminalWalk, FindsBothHalvesIndependently) {
    FakeProcessTable table;
    table.add(50, 1, "wezterm-gui");
    table.add(60, 50, "zsh");
    table.add(70, 60, "claude");
    table.add(80, 70, "sh");
    const auto both = detectTerminal(table, 80, "WezTerm");
    EXPECT_EQ(both.id, "com.github.wez.wezterm");
    EXPECT_EQ(both.pid, 50);

    table.add(50, 1, "kitty");
    const auto kitty = detectTerminal(table, 80, nullptr);
    EXPECT_FALSE(kitty.id);
    EXPECT_EQ(kitty.pid, 50);

    // The environment may name a terminal the chain does not contain, and the reverse.
    table.add(50, 1, "launcher");
    const auto onlyEnvironment = detectTerminal(table, 80, "vscode");
    EXPECT_EQ(onlyEnvironment.id, "com.microsoft.VSCode");
    EXPECT_FALSE(onlyEnvironment.pid);
}

TEST(TerminalWalk, NamesMustMatchExactly) {
    FakeProcessTable table;
    table.add(50, 1, "Terminal2");
    table.add(60, 50, "terminal");
    table.add(70, 60, "sh");
    EXPECT_FALSE(detectTerminal(table, 70, nullptr).pid);
}

TEST(TerminalWalk, KnowsLinuxTerminals) {
    for (const char* name : {"gnome-terminal-server", "kgx", "konsole", "xfce4-terminal", "tilix",
                             "terminator", "foot", "xterm", "code", "cursor", "tmux: server"}) {
        FakeProcessTable table;
        table.add(50, 1, name);
        table.add(60, 50, "bash");
        EXPECT_EQ(detectTerminal(table, 60, nullptr).pid, 50) << name;
    }
}

TEST(TerminalWalk, StopsAtTenProcessesOrAtInitOrAtAGap) {
    FakeProcessTable table;
    // 100 is a terminal eleven steps above 200: out of reach.
    table.add(100, 1, "kitty");
    for (int pid = 101; pid <= 110; ++pid) {
        table.add(pid, pid - 1, "bash");
    }
    EXPECT_FALSE(detectTerminal(table, 110, nullptr).pid);
    EXPECT_EQ(detectTerminal(table, 109, nullptr).pid, 100);

    FakeProcessTable gap;
    gap.add(60, 55, "bash");  // 55 does not exist
    EXPECT_FALSE(detectTerminal(gap, 60, nullptr).pid);

    FakeProcessTable launchd;
    EXPECT_EQ(detectTerminal(launchd, 1, "ghostty"),
              (halvane::DetectedTerminal{"com.mitchellh.ghostty", std::nullopt}));
    EXPECT_EQ(launchd.queries(), 0);
}

TEST(ClaudeWalk, FindsNamesThatBeginWithClaude) {
    FakeProcessTable table;
    table.add(50, 1, "kitty");
    table.add(60, 50, "claude-code");
    table.add(70, 60, "sh");
    EXPECT_EQ(detectClaudePid(table, 70), 60);
    table.add(60, 50, "Claude");
    EXPECT_EQ(detectClaudePid(table, 70), std::nullopt);  // chain ended at init
}

TEST(ClaudeWalk, FallsBackToTheParentOnlyWhenDepthRunsOut) {
    FakeProcessTable table;
    table.add(100, 1, "bash");
    for (int pid = 101; pid <= 108; ++pid) {
        table.add(pid, pid - 1, "bash");
    }
    // Eight non-matching processes examined: the answer is the direct parent.
    EXPECT_EQ(detectClaudePid(table, 108), 108);
    // Seven then init: the chain ended early, so nothing.
    EXPECT_EQ(detectClaudePid(table, 106), std::nullopt);
    // Parent id 1 (started by init) or a vanished parent: nothing.
    EXPECT_EQ(detectClaudePid(table, 1), std::nullopt);
    EXPECT_EQ(detectClaudePid(table, 4242), std::nullopt);
}
