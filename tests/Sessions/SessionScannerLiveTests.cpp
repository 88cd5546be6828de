// The scanner on the real machine: real agent processes in the process table,
// real transcripts under a Claude Code folder of the test's own, inotify.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "AgentProcess.h"
#include "FakeProcessExitHandles.h"
#include "FakeSoundPlayer.h"
#include "Halvane/Sessions/SessionScanner.h"
#include "Halvane/Sessions/SessionStore.h"
#include "LogCapture.h"
#include "QtTestEnvironment.h"
#include "TempDir.h"
#include "TranscriptWriter.h"

using namespace halvane;
namespace Lines = test::TranscriptWriter;
using Kind = SessionStatus::Kind;

namespace {

class LiveScannerTest : public ::testing::Test {
protected:
    LiveScannerTest() {
        test::qtApplication();
        ::setenv("CLAUDE_CONFIG_DIR", claudeFolder.path().c_str(), 1);
        std::filesystem::create_directories(workFolder);
    }
    ~LiveScannerTest() override { ::unsetenv("CLAUDE_CONFIG_DIR"); }

    // Where Claude Code would keep this folder's transcripts.
    std::filesystem::path projectFolder() const {
        std::string name = workFolder.string();
        std::replace(name.begin(), name.end(), '/', '-');
        return claudeFolder / "projects" / name;
    }

    std::filesystem::path writeTranscript(const std::string& sessionId,
                                          const std::vector<std::string>& lines) {
        return Lines::write(projectFolder() / (sessionId + ".jsonl"), lines,
                            std::chrono::system_clock::now());
    }

    bool has(const std::string& id) const { return store.sessions().contains(id); }

    test::TempDir claudeFolder{"claude"};
    test::TempDir machine{"machine"};
    // Canonical: the kernel reports an agent's folder with links resolved.
    const std::filesystem::path root = std::filesystem::canonical(machine.path());
    const std::filesystem::path workFolder = root / "src" / "app";
    const std::string cwd = workFolder.string();
    const std::filesystem::path claude = test::AgentProcess::install(root / "bin", "claude");
    test::TempDir preferencesFolder{"preferences"};
    Preferences preferences{QString::fromStdString((preferencesFolder / "halvane.conf").string())};
    test::FakeSoundPlayer sounds;
    SessionStore store{sounds, preferences};
};

}  // namespace

TEST_F(LiveScannerTest, ATranscriptCountsOnlyWhileItsAgentRuns) {
    SessionScanner scanner(store, ScannerTimings(), nullptr);
    std::filesystem::create_directories(claudeFolder / "projects");
    writeTranscript("9a1c", {Lines::user("Make it faster", cwd)});

    scanner.scan();
    EXPECT_FALSE(has("9a1c")) << "no agent works in the folder";

    test::AgentProcess agent(claude, workFolder);
    scanner.scan();
    ASSERT_TRUE(has("9a1c"));
    EXPECT_EQ(store.sessions().at("9a1c").claudePid, agent.pid());
    EXPECT_EQ(store.sessions().at("9a1c").status.kind(), Kind::working);

    agent.stop();
    scanner.scan();
    EXPECT_FALSE(has("9a1c"));
}

TEST_F(LiveScannerTest, SessionsStartedByHandComeAndGoWithoutHookEvents) {
    // No fallback scans: only file events and pruning may change the store.
    const ScannerTimings timings{.pruneInterval = std::chrono::milliseconds(50),
                                 .fallbackInterval = std::chrono::hours(1)};
    SessionScanner scanner(store, timings);
    scanner.start();
    ASSERT_TRUE(std::filesystem::is_directory(claudeFolder / "projects"));
    EXPECT_TRUE(store.sessions().empty());

    // Started by hand in a terminal, then writing its first prompt.
    test::AgentProcess agent(claude, workFolder);
    const auto transcript = writeTranscript("5e0f", {Lines::user("Explain the build", cwd)});
    ASSERT_TRUE(test::waitUntil([this] { return has("5e0f"); }));
    EXPECT_EQ(store.sessions().at("5e0f").cwd, cwd);
    EXPECT_EQ(store.sessions().at("5e0f").claudePid, agent.pid());
    EXPECT_EQ(store.sessions().at("5e0f").status.kind(), Kind::working);

    // Its answer, appended in place to a transcript in a folder made after start.
    Lines::append(transcript, Lines::assistant("CMake drives Ninja.", cwd) + "\n");
    ASSERT_TRUE(test::waitUntil([this] {
        return store.sessions().at("5e0f").lastAssistantMessage == "CMake drives Ninja.";
    }));
    EXPECT_EQ(store.sessions().at("5e0f").status.kind(), Kind::idle);

    agent.stop();
    EXPECT_TRUE(test::waitUntil([this] { return !has("5e0f"); }));
}

// An agent's end is learnt from its exit handle the moment it happens, with no
// sweep running; where the system has no exit handles the table is swept
// every half second as before. Either way the prune says which session went.
TEST_F(LiveScannerTest, AnAgentThatEndsIsPrunedAtOnceOrAtTheNextSweep) {
    using std::chrono::milliseconds;
    struct Case {
        const char* name;
        std::unique_ptr<ProcessExitHandles> handles;
        ScannerTimings timings;
        milliseconds within;
    };
    Case cases[] = {
        {"exit handles", makeSystemProcessExitHandles(),
         ScannerTimings{.pruneInterval = std::chrono::hours(1),
                        .fallbackInterval = std::chrono::hours(1)},
         milliseconds(100)},
        {"sweep", std::make_unique<test::FakeProcessExitHandles>(),
         ScannerTimings{.fallbackInterval = std::chrono::hours(1)}, milliseconds(1000)},
    };
    ASSERT_TRUE(cases[0].handles->supported()) << "this kernel has no pidfd_open";
    for (Case& run : cases) {
        SCOPED_TRACE(run.name);
        SessionScanner scanner(store, run.timings, makeSystemFileWatcher(), Clock(),
                               std::move(run.handles));
        scanner.start();
        test::AgentProcess agent(claude, workFolder);
        writeTranscript("7c2d", {Lines::user("Tidy the logs", cwd)});
        ASSERT_TRUE(test::waitUntil([this] { return has("7c2d"); }));

        const test::LogCapture log;
        agent.stop();
        EXPECT_TRUE(test::waitUntil([this] { return !has("7c2d"); }, run.within));
        // Agents of other tests may be alive elsewhere on the machine.
        const std::string said = "Prune: removing session 7c2d cwd=" + cwd + " (not in alive=[";
        const auto lines = log.lines();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&said](const std::string& line) {
            return line.rfind(said, 0) == 0;
        }));
        std::filesystem::remove_all(projectFolder());
    }
}
