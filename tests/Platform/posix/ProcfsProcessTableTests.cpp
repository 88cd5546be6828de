#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "Halvane/Platform/posix/ProcfsProcessTable.h"
#include "TempDir.h"

using halvane::ProcfsProcessTable;

namespace {

// A folder laid out like /proc with hand-written entries.
class FakeProcfs {
public:
    void add(int pid, const std::string& stat, const std::string& cmdline = {},
             const std::string& environ = {}) {
        const auto folder = m_dir.path() / std::to_string(pid);
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "stat") << stat;
        std::ofstream(folder / "cmdline", std::ios::binary) << cmdline;
        std::ofstream(folder / "environ", std::ios::binary) << environ;
    }
    std::string root() const { return m_dir.path().string(); }

private:
    halvane::test::TempDir m_dir{"procfs"};
};

std::string statLine(int pid, const std::string& name, int parent, long tty = 0) {
    return std::to_string(pid) + " (" + name + ") S " + std::to_string(parent) + " 1 1 " +
           std::to_string(tty) + " -1 4194560 100 0 0 0 0 0 0 0 20 0 1 0 100 1000 10\n";
}

}  // namespace

TEST(ProcfsStat, NameRunsFromFirstOpenToLastCloseParenthesis) {
    const auto info = ProcfsProcessTable::parseStat(statLine(42, "odd ) name (x)", 7));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pid, 42);
    EXPECT_EQ(info->name, "odd ) name (x)");
    EXPECT_EQ(info->parentPid, 7);
    EXPECT_FALSE(info->ttyPath);
}

TEST(ProcfsStat, PseudoTerminalDevicesBecomePtsPaths) {
    // major 136 minor 3, and major 137 minor 2 (= pts 258).
    EXPECT_EQ(ProcfsProcessTable::parseStat(statLine(1, "a", 0, (136 << 8) | 3))->ttyPath,
              "/dev/pts/3");
    EXPECT_EQ(ProcfsProcessTable::parseStat(statLine(1, "a", 0, (137 << 8) | 2))->ttyPath,
              "/dev/pts/258");
    // A large minor is split across the device number's two halves.
    const long bigMinor = (136 << 8) | (300 & 0xff) | ((300 & ~0xff) << 12);
    EXPECT_EQ(ProcfsProcessTable::parseStat(statLine(1, "a", 0, bigMinor))->ttyPath,
              "/dev/pts/300");
    // A virtual console (major 4) is not a pseudo-terminal.
    EXPECT_FALSE(ProcfsProcessTable::parseStat(statLine(1, "a", 0, (4 << 8) | 1))->ttyPath);
}

TEST(ProcfsStat, MalformedTextIsNoProcess) {
    EXPECT_FALSE(ProcfsProcessTable::parseStat(""));
    EXPECT_FALSE(ProcfsProcessTable::parseStat("12 (name"));
    EXPECT_FALSE(ProcfsProcessTable::parseStat("12 (name) S"));
    EXPECT_FALSE(ProcfsProcessTable::parseStat("x (name) S 1 1 1 0"));
}

TEST(ProcfsNames, FifteenCharacterNamesAreCompletedFromTheCommandLine) {
    using std::string_literals::operator""s;
    EXPECT_EQ(
        ProcfsProcessTable::fullName("gnome-terminal-", "/usr/libexec/gnome-terminal-server\0"s),
        "gnome-terminal-server");
    // Only when argv[0]'s basename really continues the kernel's name.
    EXPECT_EQ(ProcfsProcessTable::fullName("gnome-terminal-", "/usr/bin/other\0"s),
              "gnome-terminal-");
    // Shorter names are complete already.
    EXPECT_EQ(ProcfsProcessTable::fullName("claude", "/usr/bin/claude-code\0"s), "claude");
    // The long name stops at 32 characters.
    EXPECT_EQ(ProcfsProcessTable::fullName("abcdefghijklmno",
                                           "abcdefghijklmnopqrstuvwxyz0123456789\0--flag\0"s),
              "abcdefghijklmnopqrstuvwxyz012345");
}

TEST(ProcfsTable, ReadsAFakeTree) {
    using std::string_literals::operator""s;
    FakeProcfs procfs;
    procfs.add(100, statLine(100, "xfce4-terminal", 1));
    procfs.add(200, statLine(200, "claude-agent-ru", 100, (136 << 8) | 5),
               "claude-agent-runner\0--x\0"s, "HOME=/h\0TMUX_PANE=%3\0TMUX=/tmp/x\0"s);
    const ProcfsProcessTable table(procfs.root());

    auto pids = table.allPids();
    std::sort(pids.begin(), pids.end());
    EXPECT_EQ(pids, (std::vector<std::int32_t>{100, 200}));
    const auto agent = table.info(200);
    ASSERT_TRUE(agent);
    EXPECT_EQ(agent->name, "claude-agent-runner");
    EXPECT_EQ(agent->parentPid, 100);
    EXPECT_EQ(agent->ttyPath, "/dev/pts/5");
    EXPECT_EQ(table.environmentValue(200, "TMUX_PANE"), "%3");
    EXPECT_EQ(table.environmentValue(200, "TMUX"), "/tmp/x");
    EXPECT_FALSE(table.environmentValue(200, "TMUX_"));
    EXPECT_FALSE(table.info(300));
    EXPECT_FALSE(table.currentDirectory(300));
}

TEST(ProcfsTable, ReadsThisVeryProcess) {
    const ProcfsProcessTable table;
    const auto self = table.info(::getpid());
    ASSERT_TRUE(self);
    EXPECT_EQ(self->parentPid, ::getppid());
    EXPECT_EQ(table.currentDirectory(::getpid()), std::filesystem::current_path().string());
    const auto exe = table.executablePath(::getpid());
    ASSERT_TRUE(exe);
    EXPECT_NE(exe->find("posix_tests"), std::string::npos);
    // environ shows the environment the process started with.
    EXPECT_EQ(table.environmentValue(::getpid(), "PATH"), std::string(::getenv("PATH")));
    const auto pids = table.allPids();
    EXPECT_NE(std::find(pids.begin(), pids.end(), ::getpid()), pids.end());
}
