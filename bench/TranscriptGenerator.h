#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace halvane::bench {

// Writes lines shaped like Claude Code's own transcripts: prompts, answers
// split over several lines with thinking between, tool uses with large
// results (a Read result appears twice, as Claude Code writes it), progress,
// snapshots and the system lines that close a turn.
class TranscriptGenerator final {
public:
    TranscriptGenerator(std::uint64_t seed, std::string sessionId, std::string cwd);

    // One whole turn, every line ending in a line feed.
    std::string turn();
    // One short assistant line: what a running session appends most often.
    std::string answerLine();

private:
    std::string header(std::string_view type, bool withCwd = true);
    std::string footer();
    std::string prompt();
    std::string sentence(int words);
    std::string code(int lines);
    std::string id(std::string_view prefix);
    std::string assistant(std::string_view messageId, std::string_view blocks,
                          std::string_view stopReason);
    std::string toolRound();
    static std::string escaped(std::string_view text);

    std::mt19937_64 m_random;
    std::string m_sessionId;
    std::string m_cwd;
    std::uint64_t m_lines = 0;
};

}  // namespace halvane::bench
