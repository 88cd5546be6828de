#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "Halvane/Sessions/TranscriptInfo.h"
#include "Halvane/Sessions/TranscriptLine.h"
#include "Halvane/Sessions/TranscriptLineReader.h"

namespace halvane {

// Follows a transcript line by line. The state after some lines is all that
// is needed to go on with the next ones, so a reader can keep it and later
// feed only what was appended; a copy can take an unfinished last line
// without disturbing the original.
class TranscriptParser final {
public:
    // Takes one line without its line feed. Lines that are not JSON objects
    // count for nothing; a line that is not valid UTF-8 spoils the transcript.
    void consume(std::string_view line);
    TranscriptInfo result() const;

    // A whole transcript held in memory: its lines are the pieces between line
    // feeds, the last one with or without its own.
    static TranscriptInfo parse(std::string_view contents);

private:
    // interrupted: the user stopped the turn (Esc), and Claude Code waits.
    enum class LastType : std::uint8_t { none, assistant, interrupted, other };

    // Whether the last turn has ended, as far as the lines so far tell.
    struct TurnState {
        LastType lastType = LastType::none;
        bool stopReasonEndsTurn = false;  // of the last assistant line
        // Claude Code writes no stop reason on most final answers, but notes
        // the end of a turn in a system line after the answer.
        bool turnEndNoted = false;
    };

    void apply(const TranscriptLine& line);
    void applyUserLine(const TranscriptLine& line);

    TranscriptLineReader m_reader;
    TranscriptLine m_line;  // scratch, reused for every line

    bool m_invalidUtf8 = false;
    std::optional<std::string> m_cwd;
    std::optional<std::string> m_firstUserPrompt;
    std::optional<std::string> m_lastUserPrompt;
    std::optional<std::string> m_lastAssistant;
    std::optional<std::string> m_lastModel;
    TurnState m_turn;
    // A local command (/model, /compact, /exit…) runs without the model: its
    // output line puts back the state from before its command line.
    std::optional<TurnState> m_beforeCommand;
    std::unordered_set<std::string> m_openToolUses;
};

}  // namespace halvane
