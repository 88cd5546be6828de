// Incremental reads give what a full read of the file gives at every moment,
// while reading only what was appended.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "Files.h"
#include "Halvane/Sessions/TranscriptCache.h"
#include "Halvane/Sessions/TranscriptParser.h"
#include "TempDir.h"

namespace {

using halvane::TranscriptCache;
using halvane::TranscriptInfo;
using halvane::TranscriptParser;
using halvane::test::readFile;
using halvane::test::TempDir;

const std::filesystem::path fixtures = HALVANE_TEST_FIXTURES;

void write(const std::filesystem::path& path, const std::string& bytes,
           std::ios::openmode mode = std::ios::trunc) {
    std::ofstream out(path, std::ios::binary | std::ios::out | mode);
    out << bytes;
}

void append(const std::filesystem::path& path, const std::string& bytes) {
    write(path, bytes, std::ios::app);
}

// Overwrites bytes in place, keeping the file (and its size) as it is.
void overwrite(const std::filesystem::path& path, std::size_t offset, const std::string& bytes) {
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(static_cast<std::streamoff>(offset));
    file << bytes;
}

void touchLater(const std::filesystem::path& path) {
    std::filesystem::last_write_time(
        path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
}

std::string user(const std::string& prompt) {
    return R"({"type":"user","message":{"role":"user","content":")" + prompt + "\"}}\n";
}

std::string answer(const std::string& text, const char* stopReason = "null") {
    return R"({"type":"assistant","message":{"model":"claude-opus-4-6","content":[{"type":"text","text":")" +
           text + R"("}],"stop_reason":)" + stopReason + "}}\n";
}

class TranscriptCacheTest : public ::testing::Test {
protected:
    // Reads through the cache and checks the result against a full parse.
    TranscriptInfo readAndCompare() {
        const TranscriptInfo incremental = m_cache.read(m_path);
        EXPECT_EQ(incremental, TranscriptParser::parse(readFile(m_path)));
        return incremental;
    }

    TempDir m_folder{"transcripts"};
    std::filesystem::path m_path = m_folder / "session.jsonl";
    TranscriptCache m_cache;
};

TEST_F(TranscriptCacheTest, ARealTranscriptAppendedInManySmallPieces) {
    const std::string whole =
        readFile(fixtures / "claude-transcripts" /
                 "claude-code-log--ef958aa1-0e93-49f0-bb71-150f63befcd1.jsonl");
    std::mt19937 random(7);
    write(m_path, "");
    std::size_t written = 0;
    int reads = 0;
    while (written < whole.size()) {
        // Mostly small writes, now and then a whole line feed-terminated run.
        std::size_t piece = 1 + random() % 3000;
        if (random() % 4 == 0) {
            piece = whole.find('\n', written) + 1 - written;
        }
        piece = std::min(piece, whole.size() - written);
        append(m_path, whole.substr(written, piece));
        written += piece;
        readAndCompare();
        ++reads;
        if (HasFailure()) {
            break;
        }
    }
    EXPECT_EQ(m_cache.read(m_path), TranscriptCache::parseTranscript(m_path));
    // Re-reading from the start each time would have read about reads/2 times the file.
    EXPECT_GT(reads, 100);
    EXPECT_LT(m_cache.bytesRead(), 3 * whole.size());
}

TEST_F(TranscriptCacheTest, ReadsOnlyTheAppendedLineAndNothingWhenUnchanged) {
    write(m_path, user("first") + answer("one"));
    readAndCompare();
    const auto before = m_cache.bytesRead();
    EXPECT_EQ(readAndCompare().lastAssistant, "one");
    EXPECT_EQ(m_cache.bytesRead(), before);

    const std::string line = answer("two", R"("end_turn")");
    append(m_path, line);
    EXPECT_EQ(readAndCompare().lastAssistant, "two");
    EXPECT_EQ(m_cache.bytesRead() - before, line.size() + TranscriptCache::fingerprintSize);
}

TEST_F(TranscriptCacheTest, ALineWrittenInTwoHalvesBetweenReads) {
    write(m_path, user("first"));
    readAndCompare();
    const std::string line = answer("Done.", R"("end_turn")");
    append(m_path, line.substr(0, line.size() / 2));
    EXPECT_FALSE(readAndCompare().turnComplete);
    append(m_path, line.substr(line.size() / 2));
    const auto info = readAndCompare();
    EXPECT_TRUE(info.turnComplete);
    EXPECT_EQ(info.lastAssistant, "Done.");
}

TEST_F(TranscriptCacheTest, AnUnfinishedLastLineCountsOnlyAsItStands) {
    write(m_path, user("first"));
    readAndCompare();
    // Complete JSON without its line feed counts...
    std::string line = user("second");
    line.pop_back();
    append(m_path, line);
    EXPECT_EQ(readAndCompare().lastUserPrompt, "second");
    // ...until more bytes turn the line into something else.
    append(m_path, "garbage\n");
    EXPECT_EQ(readAndCompare().lastUserPrompt, "first");
    append(m_path, user("third"));
    EXPECT_EQ(readAndCompare().lastUserPrompt, "third");
}

TEST_F(TranscriptCacheTest, AFileTruncatedAndRewrittenIsReadAgain) {
    write(m_path, user("old one") + answer("old answer") + user("old two"));
    readAndCompare();
    write(m_path, user("new"));
    EXPECT_EQ(readAndCompare().firstUserPrompt, "new");
    // Rewritten longer than before, with other bytes before the old resume point.
    write(m_path, user("newer prompt") + answer("newer answer", R"("end_turn")") + user("x") +
                      answer("last", R"("end_turn")"));
    const auto info = readAndCompare();
    EXPECT_EQ(info.firstUserPrompt, "newer prompt");
    EXPECT_EQ(info.lastAssistant, "last");
}

TEST_F(TranscriptCacheTest, AFileReplacedByRenameIsReadAgain) {
    const std::string tail = answer("same tail, same bytes before the resume point");
    write(m_path, user("one") + tail);
    EXPECT_EQ(readAndCompare().firstUserPrompt, "one");
    // Same length and the same final bytes: only the new inode tells.
    const auto replacement = m_folder / "replacement.jsonl";
    write(replacement, user("uno") + tail + user("more"));
    std::filesystem::rename(replacement, m_path);
    EXPECT_EQ(readAndCompare().firstUserPrompt, "uno");
}

TEST_F(TranscriptCacheTest, AChangeWithoutGrowthOrBeforeTheResumePointIsReadAgain) {
    write(m_path, user("one") + answer("answer"));
    readAndCompare();
    // Same size, new modification time.
    overwrite(m_path, std::string(R"({"type":"user","message":{"role":"user","content":")").size(),
              "uno");
    touchLater(m_path);
    EXPECT_EQ(readAndCompare().firstUserPrompt, "uno");
    // Grown, but the last line read before changed.
    const std::string text = readFile(m_path);
    overwrite(m_path, text.rfind("answer"), "ANSWER");
    append(m_path, user("two"));
    EXPECT_EQ(readAndCompare().lastAssistant, "ANSWER");
}

TEST_F(TranscriptCacheTest, InvalidUtf8AppendedSpoilsTheTranscriptUntilItIsRewritten) {
    write(m_path, user("fine"));
    readAndCompare();
    append(m_path, user("caf\xE9"));
    EXPECT_EQ(readAndCompare(), TranscriptInfo{});
    append(m_path, user("later"));
    EXPECT_EQ(readAndCompare(), TranscriptInfo{});
    write(m_path, user("clean again"));
    EXPECT_EQ(readAndCompare().firstUserPrompt, "clean again");
}

TEST_F(TranscriptCacheTest, UnreadablePathsReadAsEmptyAndAreNotKept) {
    EXPECT_EQ(m_cache.read(m_folder / "missing.jsonl"), TranscriptInfo{});
    EXPECT_EQ(m_cache.read(m_folder.path()), TranscriptInfo{});
    EXPECT_EQ(m_cache.size(), 0u);
    write(m_path, user("here"));
    readAndCompare();
    std::filesystem::remove(m_path);
    EXPECT_EQ(m_cache.read(m_path), TranscriptInfo{});
    EXPECT_EQ(m_cache.size(), 0u);
}

TEST_F(TranscriptCacheTest, EvictsTranscriptsNotReadSinceTheLastEviction) {
    const auto other = m_folder / "other.jsonl";
    write(m_path, user("a"));
    write(other, user("b"));
    m_cache.read(m_path);
    m_cache.read(other);
    m_cache.evictUnread();
    EXPECT_EQ(m_cache.size(), 2u);
    m_cache.read(m_path);
    m_cache.evictUnread();
    EXPECT_EQ(m_cache.size(), 1u);
    // The evicted one is read in full again next time.
    const auto before = m_cache.bytesRead();
    EXPECT_EQ(m_cache.read(other).firstUserPrompt, "b");
    EXPECT_EQ(m_cache.bytesRead() - before, user("b").size());
}

}  // namespace
