// Transcript reading on real Claude Code transcripts and on our own, with the
// expected results worked out by hand from the files.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "Files.h"
#include "Halvane/Sessions/TranscriptCache.h"
#include "Halvane/Sessions/TranscriptParser.h"

namespace {

using halvane::TranscriptCache;
using halvane::TranscriptInfo;
using halvane::TranscriptParser;
using halvane::test::readFile;

const std::filesystem::path fixtures = HALVANE_TEST_FIXTURES;

struct Expected {
    const char* file;
    std::optional<std::string> firstUserPrompt;
    std::optional<std::string> lastUserPrompt;
    std::optional<std::string> lastAssistant;
    std::optional<std::string> lastModel;
    bool turnComplete;
    std::optional<std::string> cwd;
};

// The file as the parser reads it, in memory and from disk: both must agree
// with what a person reading the file expects.
void expectReads(const std::filesystem::path& path, const Expected& expected) {
    SCOPED_TRACE(path.filename().string());
    const TranscriptInfo fromDisk = TranscriptCache::parseTranscript(path);
    EXPECT_EQ(fromDisk.firstUserPrompt, expected.firstUserPrompt);
    EXPECT_EQ(fromDisk.lastUserPrompt, expected.lastUserPrompt);
    EXPECT_EQ(fromDisk.lastAssistant, expected.lastAssistant);
    EXPECT_EQ(fromDisk.lastModel, expected.lastModel);
    EXPECT_EQ(fromDisk.turnComplete, expected.turnComplete);
    EXPECT_EQ(fromDisk.cwd, expected.cwd);
    EXPECT_EQ(TranscriptParser::parse(readFile(path)), fromDisk);
}

// The first `count` lines of a file, each with its line feed.
std::string firstLines(const std::filesystem::path& path, int count) {
    const std::string text = readFile(path);
    std::size_t end = 0;
    for (int i = 0; i < count; ++i) {
        end = text.find('\n', end) + 1;
    }
    return text.substr(0, end);
}

const Expected realTranscripts[] = {
    {"claude-code-log--03eb5929-52b3-4b13-ada3-b93ae35806b8.jsonl",
     "Ok, so there's isn't much to see here, mostly one idea about how to organize the work "
     "Markdown documents generated during a Claude Code session.",
     "Fair enough. Can you write a balanced opinion on this approach? Keep it same overall length "
     "as the pros or cons.",
     "The `dev-docs/` vs `work/` split works best when a project has stabilized enough that the "
     "distinction between \"reference\" and \"in-progress\" is genuine. In that context, it "
     "reduces noise and gives newcomers a clear entry point.  However, the…",
     // Ends with /exit: the command's lines leave the turn as it was.
     "claude-opus-4-6", true, "/home/user/project"},
    {"claude-code-log--2b4ed4c0-b905-41de-9238-273db3ec737a.jsonl",
     "Search if claude -p can make use of WebSearch and Task tool. Especially the Task with Haiku "
     "model. Summarize the findings.",
     "Search if claude -p can make use of WebSearch and Task tool. Especially the Task with Haiku "
     "model. Summarize the findings.",
     "Based on my own context and the CLI help output, let me summarize what I can determine:  ## "
     "Summary: Claude Code `-p` Mode and Tool Availability  ### What I found:  **`-p` / `--print` "
     "flag:** - Non-interactive mode that prints response and …",
     "claude-opus-4-5-20251101", false, "/src/experiments/claude_p"},
    {"claude-code-log--326189cf-5676-4237-8cde-1ce80aae4a9f.jsonl", "please fix these",
     "please fix these",
     "Perfect! Both type checking issues have been resolved:  1. **Fixed "
     "possibly-unbound-attribute warning**: Added null check `assert cached_data is not None` "
     "before accessing `cached_data.version` in `test/test_cache.py:203`  2. **Fixed call-n…",
     "claude-sonnet-4-20250514", false, "/Users/dain/workspace/claude-code-log"},
    {"claude-code-log--3680252d-d4e3-4416-bddd-8f5b5b4fdb7f.jsonl",
     // Only /model was run: the caveat is no prompt and the command ends no turn.
     std::nullopt, std::nullopt, std::nullopt, std::nullopt, true,
     "/Users/dain/workspace/danieldemmel.me-next"},
    {"claude-code-log--4e27c414-a885-46a0-b5c8-d58e1417377d.jsonl", std::nullopt, std::nullopt,
     std::nullopt, std::nullopt, true, std::nullopt},
    {"claude-code-log--agent-3be551df.jsonl", "Warmup", "Warmup",
     "I'm ready to help you with your Claude Code Log project! I'm Claude (Haiku 4.5), and I've "
     "reviewed the project context and your instructions.  I understand this is a Python CLI tool "
     "that converts Claude transcript JSONL files into readable …",
     "claude-haiku-4-5-20251001", true, "/Users/dain/workspace/claude-code-log"},
    {"claude-code-log--agent-a36efb2a1231c41e2.jsonl",
     "You are **alice** (round 2). You are NOT resuming a prior session — this is a fresh spawn, "
     "but you inherit a concrete task and an existing git worktree prepared for you.  ## Context  "
     "This is an experimental 3-teammate collaboration in the r…",
     "You are **alice** (round 2). You are NOT resuming a prior session — this is a fresh spawn, "
     "but you inherit a concrete task and an existing git worktree prepared for you.  ## Context  "
     "This is an experimental 3-teammate collaboration in the r…",
     "Round 2 done.  **Commit SHA:** `9877e045709794be3d0377907b64ad8d16ce7a5e` (short: `9877e04`) "
     "on branch `alice/research-plan-mode`.  **Contrasts drawn:** - **vs. Teammates:** Plan Mode "
     "is a single-actor vertical gate with a native approval U…",
     "claude-opus-4-7", false, "-experiments/worktrees"},
    {"claude-code-log--b25638d7-b104-4f06-a797-70ac33d069ed.jsonl",
     "Oh, I just found out that this is not supported by Chrome :(\\ \\ This is the relevant "
     "CSS:\\ \\ ul#models li span {   display: ruby-base;   font-size: 0.7em;   margin: 0 0.15em; "
     "} ul#models li code {   display: ruby-text;   font-size: 2em;   l…",
     "Oh, I just found out that this is not supported by Chrome :(\\ \\ This is the relevant "
     "CSS:\\ \\ ul#models li span {   display: ruby-base;   font-size: 0.7em;   margin: 0 0.15em; "
     "} ul#models li code {   display: ruby-text;   font-size: 2em;   l…",
     "Perfect! I've successfully converted the tokenizer display from CSS-based ruby formatting to "
     "proper HTML ruby elements. Here's what I changed:  ## JavaScript changes "
     "(`tokenizer.js:101-108`) - Replaced `<span class=\"token\">` and `<code>` el…",
     "claude-sonnet-4-20250514", false, "/Users/dain/workspace/danieldemmel.me-next"},
    {"claude-code-log--cbc0f75b-b36d-4efd-a7da-ac800ea30eb6.jsonl",
     "Can you please update these tests? We're not doing these complex path selections, just "
     "picking the latest one from the list we got from messages",
     "Can you please update these tests? We're not doing these complex path selections, just "
     "picking the latest one from the list we got from messages",
     "Perfect! All tests are now passing. The tests have been updated to match the actual behavior "
     "of the `get_project_display_name` function, which simply takes the last working directory "
     "from the list (the most recent one) and returns its name,…",
     "claude-opus-4-20250514", true, "/Users/dain/workspace/claude-code-log"},
    {"claude-code-log--ef958aa1-0e93-49f0-bb71-150f63befcd1.jsonl",
     "OK, we're going to make a little experiment here. Pretend we have a list of tasks (say, "
     "first would be \"research the capacity for Claude Code to handle tasks with a plan\", second "
     "would be \"research how can Claude Code handle a list of tasks…",
     "Well, the subagents seem to be either stuck or done... can you check?",
     "Experiment complete. All six tasks done.  **Summary of what happened:**  - **Round 1:** 3 "
     "teammates spawned in parallel with `isolation: \"worktree\"` (alice/bob/carol), each wrote "
     "~500–900 words on plan mode / teammates / Beads on their own …",
     "claude-opus-4-7", true, "-experiments/worktrees"},
};

TEST(RealTranscripts, GiveThePromptsAnswerModelStateAndFolderAPersonReads) {
    for (const Expected& expected : realTranscripts) {
        expectReads(fixtures / "claude-transcripts" / expected.file, expected);
    }
}

TEST(RealTranscripts, ATurnEndsWithTheSystemLineAfterTheAnswerDespiteNoStopReason) {
    const auto path = fixtures / "claude-transcripts" /
                      "claude-code-log--03eb5929-52b3-4b13-ada3-b93ae35806b8.jsonl";
    // Lines 14-16: the final answer (stop reason null), progress, stop_hook_summary.
    EXPECT_FALSE(TranscriptParser::parse(firstLines(path, 14)).turnComplete);
    EXPECT_FALSE(TranscriptParser::parse(firstLines(path, 15)).turnComplete);
    EXPECT_TRUE(TranscriptParser::parse(firstLines(path, 16)).turnComplete);
    // A snapshot changes nothing; the next prompt starts a new turn.
    EXPECT_TRUE(TranscriptParser::parse(firstLines(path, 17)).turnComplete);
    EXPECT_FALSE(TranscriptParser::parse(firstLines(path, 18)).turnComplete);
}

// Written by Claude Code 2.1.337 in the test harness (see the folder's README).
const Expected cli21Transcripts[] = {
    {"print-bash-allow.jsonl", "Make a file", "Make a file", "All done.", "claude-opus-5-5", true,
     "/tmp/halvane-fixtures/print-bash-allow/project"},
    {"tui-bash-hook-deny.jsonl", "Make a file", "Make a file", "All done.", "claude-opus-5-5", true,
     "/tmp/halvane-fixtures/tui-bash-hook-deny/project"},
    {"tui-compact.jsonl", "What is six times seven?", "What is six times seven?",
     "Hello! The answer is 42.", "claude-opus-5-5", true,
     "/tmp/halvane-fixtures/tui-compact/project"},
    {"tui-model.jsonl", "What is six times seven?", "What is six times seven?",
     "Hello! The answer is 42.", "claude-opus-5-5", true,
     "/tmp/halvane-fixtures/tui-model/project"},
    {"tui-bash-mode.jsonl", "What is six times seven?", "What is six times seven?",
     "Second answer.", "claude-opus-5-5", true, "/tmp/halvane-fixtures/tui-bash-mode/project"},
    {"tui-escape.jsonl", "Make a file", "Make a file", std::nullopt, "claude-opus-5-5", true,
     "/tmp/halvane-fixtures/tui-escape/project"},
};

TEST(ClaudeCode21Transcripts, GiveThePromptsAnswerModelStateAndFolderAPersonReads) {
    for (const Expected& expected : cli21Transcripts) {
        expectReads(fixtures / "claude-transcripts-2.1" / expected.file, expected);
    }
}

TEST(ClaudeCode21Transcripts, LocalCommandsAndCompactionLeaveAFinishedTurnFinished) {
    const auto folder = fixtures / "claude-transcripts-2.1";
    // tui-compact: the answer (25), turn_duration (27), then /compact: its
    // boundary (39), the summary (40), the caveat (41), the command (42), its
    // output (43) and attachments.
    const auto compact = folder / "tui-compact.jsonl";
    EXPECT_TRUE(TranscriptParser::parse(firstLines(compact, 27)).turnComplete);
    EXPECT_TRUE(TranscriptParser::parse(firstLines(compact, 41)).turnComplete)
        << "the boundary, the summary and the caveat are Claude Code's own";
    EXPECT_FALSE(TranscriptParser::parse(firstLines(compact, 42)).turnComplete)
        << "a command line alone may be one for the model";
    const TranscriptInfo compacted = TranscriptParser::parse(firstLines(compact, 43));
    EXPECT_TRUE(compacted.turnComplete);
    EXPECT_EQ(compacted.lastUserPrompt, "What is six times seven?") << "the summary is no prompt";

    // tui-model: the same for /model (29-31).
    const auto model = folder / "tui-model.jsonl";
    EXPECT_FALSE(TranscriptParser::parse(firstLines(model, 30)).turnComplete);
    EXPECT_TRUE(TranscriptParser::parse(firstLines(model, 31)).turnComplete);

    // tui-bash-mode: "!echo" goes to the model in 2.1, so its output (31)
    // starts a turn, still open while the request (32, 33) runs, that the
    // answer (34) ends.
    const auto bash = folder / "tui-bash-mode.jsonl";
    EXPECT_FALSE(TranscriptParser::parse(firstLines(bash, 31)).turnComplete);
    EXPECT_FALSE(TranscriptParser::parse(firstLines(bash, 33)).turnComplete);
    EXPECT_TRUE(TranscriptParser::parse(firstLines(bash, 34)).turnComplete);
}

TEST(ClaudeCode21Transcripts, EscapeAtAPermissionDialogEndsTheTurn) {
    // tui-escape: Bash asked for (26), refused (32), then Claude Code's
    // "[Request interrupted by user for tool use]" (34); no Stop hook fires.
    const auto escape = fixtures / "claude-transcripts-2.1" / "tui-escape.jsonl";
    EXPECT_FALSE(TranscriptParser::parse(firstLines(escape, 26)).turnComplete);
    EXPECT_FALSE(TranscriptParser::parse(firstLines(escape, 32)).turnComplete);
    EXPECT_TRUE(TranscriptParser::parse(firstLines(escape, 34)).turnComplete);
}

TEST(ClaudeCode21Transcripts, RecordsOfOtherTypesNeverChangeTheTurn) {
    const auto compact = fixtures / "claude-transcripts-2.1" / "tui-compact.jsonl";
    const std::string finished = firstLines(compact, 27);
    const std::string text = readFile(compact);
    // Each line of the file that is neither user nor assistant (a copy of an
    // API request with its message, attachments, snapshots, costs…) put
    // after a finished turn.
    std::size_t start = 0;
    int checked = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.find(R"("type":"user")") != std::string::npos ||
            line.find(R"("type":"assistant")") != std::string::npos) {
            continue;
        }
        SCOPED_TRACE(line.substr(0, 60));
        EXPECT_TRUE(TranscriptParser::parse(finished + line + "\n").turnComplete);
        ++checked;
    }
    EXPECT_GT(checked, 30);
}

TEST(OwnTranscripts, SplitAnswersToolPairsSidechainsAndSystemLines) {
    expectReads(fixtures / "transcripts" / "finished-turn.jsonl",
                {"", "The scheduler test fails about one run in ten. Can you find out why?",
                 // Sidechain lines count like any other.
                 "Warmup",
                 "Found it: the test reads `fired` without waiting for the timer thread.  I "
                 "changed it to wait on the condition variable — 20/20 runs pass now. 🎉",
                 "claude-opus-4-6", true, "/home/ada/src/engine"});
}

TEST(OwnTranscripts, CommandWrappersAndShellLinesAreNoPromptsAndLongPromptsAreCut) {
    const std::string cut =
        "Please refactor the job queue so that every worker pulls from a shared lockfree ring "
        "buffer instead of its own deque; keep the public API of JobQueue unchanged, add a "
        "benchmark comparing both versions under contention with 2, 4 and 8 thread…";
    expectReads(fixtures / "transcripts" / "command-wrappers.jsonl",
                {"", cut, cut, "I'll start by reading the current <JobQueue> implementation.",
                 "claude-opus-4-6", false, "/home/ada/src/engine"});
}

TEST(OwnTranscripts, AnEndOfTurnWithAnUnansweredToolUseIsNotComplete) {
    expectReads(fixtures / "transcripts" / "open-tool-use.jsonl",
                {"", "Run the migrations and tell me when they are done.",
                 "Run the migrations and tell me when they are done.", "Running them now.",
                 "claude-opus-4-6", false, "/home/ada/src/engine"});
}

TEST(OwnTranscripts, EmptyOrNotUtf8ReadsAsFinishedAndSilent) {
    const Expected nothing{"",           std::nullopt, std::nullopt, std::nullopt,
                           std::nullopt, true,         std::nullopt};
    expectReads(fixtures / "transcripts" / "empty.jsonl", nothing);
    expectReads(fixtures / "transcripts" / "invalid-utf8.jsonl", nothing);
    expectReads(fixtures / "transcripts" / "no-such-file.jsonl", nothing);
}

TEST(OwnTranscripts, ALoneSurrogateEscapeSpoilsOnlyItsLine) {
    expectReads(fixtures / "transcripts" / "lone-surrogate.jsonl",
                {"", "Rename the helper", "Rename the helper", "Renamed it to 🚀 launch().",
                 "claude-opus-4-6", true, "/home/ada/src/engine"});
}

TEST(OwnTranscripts, WindowsLineEndsAndAMissingLastLineFeed) {
    expectReads(fixtures / "transcripts" / "crlf.jsonl",
                {"", "Does this work on Windows checkouts?", "Does this work on Windows checkouts?",
                 "Yes: line ends do not matter.", "claude-opus-4-6", true, "/home/ada/src/engine"});
}

}  // namespace
