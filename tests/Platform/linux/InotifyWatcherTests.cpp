// inotify as the scanner uses it: the projects folder and the folders in it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "Halvane/Platform/linux/InotifyWatcher.h"
#include "QtTestEnvironment.h"
#include "TempDir.h"

using halvane::InotifyWatcher;
using halvane::test::waitUntil;

namespace {

class InotifyWatcherTest : public ::testing::Test {
protected:
    InotifyWatcherTest() { halvane::test::qtApplication(); }

    void start() {
        ASSERT_TRUE(watcher.watch(root.path(), [this] { ++reports; }));
        ASSERT_TRUE(watcher.isWatching());
    }
    void write(const std::filesystem::path& path, const std::string& text) {
        std::ofstream(path, std::ios::app) << text;
    }
    // Waits for a report after the ones seen so far.
    bool reported() {
        const int before = seen;
        const bool arrived = waitUntil([this, before] { return reports > before; });
        seen = reports;
        return arrived;
    }

    halvane::test::TempDir root{"watch"};
    InotifyWatcher watcher{std::chrono::milliseconds(20)};
    int reports = 0;
    int seen = 0;
};

}  // namespace

TEST_F(InotifyWatcherTest, NewFoldersAreWatchedAndWritesInThemReported) {
    std::filesystem::create_directories(root / "existing");
    start();
    EXPECT_TRUE(watcher.watches(root / "existing"));

    std::filesystem::create_directories(root / "-home-ada-app");
    ASSERT_TRUE(reported());
    EXPECT_TRUE(watcher.watches(root / "-home-ada-app"));

    const auto transcript = root / "-home-ada-app" / "s.jsonl";
    write(transcript, "{}\n");
    EXPECT_TRUE(reported()) << "a file made in the new folder";
    write(transcript, "{\"type\":\"user\"}\n");
    EXPECT_TRUE(reported()) << "a line appended in place";
    std::filesystem::rename(transcript, root / "existing" / "s.jsonl");
    EXPECT_TRUE(reported()) << "a file moved between folders";
    std::filesystem::remove(root / "existing" / "s.jsonl");
    EXPECT_TRUE(reported()) << "a file deleted";
}

TEST_F(InotifyWatcherTest, FoldersMovedOrRemovedLoseTheirWatch) {
    std::filesystem::create_directories(root / "a");
    start();
    std::filesystem::rename(root / "a", root / "b");
    ASSERT_TRUE(reported());
    EXPECT_FALSE(watcher.watches(root / "a"));
    EXPECT_TRUE(watcher.watches(root / "b"));
    std::filesystem::remove(root / "b");
    ASSERT_TRUE(reported());
    EXPECT_FALSE(watcher.watches(root / "b"));
    EXPECT_TRUE(watcher.isWatching());
}

TEST_F(InotifyWatcherTest, ABurstOfWritesIsOneReport) {
    std::filesystem::create_directories(root / "p");
    start();
    // Written before the event loop runs again, so all arrive together.
    for (int i = 0; i < 50; ++i) {
        write(root / "p" / "s.jsonl", "{}\n");
    }
    ASSERT_TRUE(reported());
    write(root / "p" / "marker", "x");
    ASSERT_TRUE(reported());
    EXPECT_EQ(reports, 2) << "fifty writes, one report; then the marker's";
}

TEST_F(InotifyWatcherTest, FoldersDeeperDownAndTheirFilesAreNoChange) {
    std::filesystem::create_directories(root / "p");
    start();
    // Where Claude Code keeps a session's subagents: <project>/<session>/subagents/.
    const auto subagents = root / "p" / "s" / "subagents";
    std::filesystem::create_directories(subagents);
    write(subagents / "agent-a1.jsonl", "{}\n");
    std::filesystem::remove_all(root / "p" / "s");
    EXPECT_FALSE(waitUntil([this] { return reports > 0; }, std::chrono::milliseconds(500)));
    write(root / "p" / "s.jsonl", "{}\n");
    ASSERT_TRUE(reported());
    EXPECT_EQ(reports, 1) << "only the session's own transcript";
}

TEST_F(InotifyWatcherTest, AFolderMadeWhileEventsWereDroppedIsWatchedAfterTheOverflow) {
    int queueLimit = 0;
    std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> queueLimit;
    if (queueLimit <= 0 || queueLimit > 200000) {
        GTEST_SKIP() << "inotify queue limit " << queueLimit << " is too large to overflow here";
    }
    std::filesystem::create_directories(root / "flood");
    start();
    // Two events per file (created, closed after writing): more than the queue holds.
    for (int i = 0; i < queueLimit / 2 + 100; ++i) {
        std::ofstream(root / "flood" / std::to_string(i));
    }
    std::filesystem::create_directories(root / "late");  // its own event is dropped
    ASSERT_TRUE(waitUntil([this] { return watcher.watches(root / "late"); }));
    ASSERT_TRUE(reported());
    write(root / "late" / "s.jsonl", "{}\n");
    EXPECT_TRUE(waitUntil([this] { return reports > seen; }));
}

TEST_F(InotifyWatcherTest, RemovingTheRootEndsTheWatchWithAReport) {
    start();
    std::filesystem::remove_all(root.path());
    ASSERT_TRUE(reported());
    EXPECT_TRUE(waitUntil([this] { return !watcher.isWatching(); }));
    EXPECT_FALSE(watcher.watch(root / "missing", [] {}));
    EXPECT_FALSE(watcher.isWatching());
}
