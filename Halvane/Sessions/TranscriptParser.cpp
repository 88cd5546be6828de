#include "Halvane/Sessions/TranscriptParser.h"

#include "Halvane/Sessions/TranscriptText.h"
#include "HalvaneProtocol/Utf8.h"

namespace halvane {

namespace {

bool endsTurn(const std::optional<JsonText>& stopReason) {
    return stopReason && (stopReason->equals("end_turn") || stopReason->equals("stop_sequence") ||
                          stopReason->equals("max_tokens"));
}

bool notesTurnEnd(const TranscriptLine& line) {
    return line.type && line.type->equals("system") && line.subtype &&
           (line.subtype->equals("stop_hook_summary") || line.subtype->equals("turn_duration"));
}

// Claude Code's bookkeeping records (mode changes, file snapshots, copies of
// API requests, costs, titles…) are written with "type" as their first key,
// conversation lines never are; and its writer never repeats a key. Such a
// line says nothing about the session unless it names a working directory,
// so it is spared the JSON walk (some are tens of kilobytes each).
bool isBookkeeping(std::string_view line) {
    constexpr std::string_view start = R"({"type":")";
    if (!line.starts_with(start)) {
        return false;
    }
    const std::string_view rest = line.substr(start.size());
    const std::size_t end = rest.find_first_of("\"\\");
    if (end == std::string_view::npos || rest[end] != '"') {
        return false;
    }
    const std::string_view type = rest.substr(0, end);
    return type != "user" && type != "assistant" && type != "system" &&
           line.find(R"("cwd")") == std::string_view::npos;
}

// The tag a text opens with: "<command-name>/model</command-name>…" → "command-name".
std::string_view leadingTag(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || text[first] != '<') {
        return {};
    }
    const std::size_t close = text.find('>', first);
    if (close == std::string_view::npos) {
        return {};
    }
    return text.substr(first + 1, close - first - 1);
}

bool isCommandLine(std::string_view tag) {
    return tag == "command-name" || tag == "command-message";
}

// What a local command printed; commands for the model print nothing here.
bool isCommandOutput(std::string_view tag) {
    return tag == "local-command-stdout" || tag == "local-command-stderr";
}

// The line Claude Code writes when the user stops a turn: "[Request
// interrupted by user]", or "… for tool use]" when a tool was asked for.
bool isInterruption(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos &&
           text.substr(first).starts_with("[Request interrupted by user");
}

}  // namespace

void TranscriptParser::consume(std::string_view line) {
    if (m_invalidUtf8 || line.empty()) {
        return;
    }
    if (isBookkeeping(line)) {
        m_invalidUtf8 = !isValidUtf8(line);
        return;
    }
    if (m_reader.read(line, m_line)) {
        apply(m_line);
        return;
    }
    // A line the reader accepts is valid UTF-8; only the rare others need a
    // check of their own.
    if (!isValidUtf8(line)) {
        m_invalidUtf8 = true;
    }
}

void TranscriptParser::apply(const TranscriptLine& line) {
    if (!m_cwd && line.cwd) {
        m_cwd = line.cwd->decoded();
    }
    if (!line.type || !line.hasMessage) {
        if (m_turn.lastType == LastType::assistant && notesTurnEnd(line)) {
            m_turn.turnEndNoted = true;
        }
        return;
    }
    const bool user = line.type->equals("user");
    const bool assistant = !user && line.type->equals("assistant");
    // Other lines with a message ("api-request-blob") are Claude Code's copies
    // of what it sent: the conversation is told by its own lines.
    if (!user && !assistant) {
        return;
    }
    for (const auto& change : line.toolUseChanges) {
        if (change.opens) {
            m_openToolUses.insert(change.id.decoded());
        } else {
            m_openToolUses.erase(change.id.decoded());
        }
    }
    if (user) {
        applyUserLine(line);
        return;
    }
    if (line.model) {
        m_lastModel = line.model->decoded();
    }
    if (line.text) {
        if (auto text = TranscriptText::clean(line.text->decoded())) {
            m_lastAssistant = std::move(text);
        }
    }
    m_turn = TurnState{LastType::assistant, endsTurn(line.stopReason), false};
    m_beforeCommand.reset();
}

void TranscriptParser::applyUserLine(const TranscriptLine& line) {
    // Written by Claude Code, not typed: neither a prompt nor the start of a turn.
    if (line.isMeta || line.isCompactSummary) {
        return;
    }
    const std::string text = line.text ? line.text->decoded() : std::string();
    if (isInterruption(text)) {
        m_turn = TurnState{LastType::interrupted, false, false};
        m_beforeCommand.reset();
        return;
    }
    const std::string_view tag = leadingTag(text);
    if (isCommandOutput(tag)) {
        if (m_beforeCommand) {
            m_turn = *m_beforeCommand;
            m_beforeCommand.reset();
        }
        return;
    }
    // Until its output shows, a command may as well be one for the model.
    if (isCommandLine(tag)) {
        m_beforeCommand = m_turn;
    } else {
        m_beforeCommand.reset();
    }
    if (auto prompt = TranscriptText::clean(text)) {
        if (!m_firstUserPrompt) {
            m_firstUserPrompt = prompt;
        }
        m_lastUserPrompt = std::move(prompt);
    }
    m_turn = TurnState{LastType::other, false, false};
}

TranscriptInfo TranscriptParser::result() const {
    if (m_invalidUtf8) {
        return TranscriptInfo{};
    }
    TranscriptInfo info;
    info.firstUserPrompt = m_firstUserPrompt;
    info.lastUserPrompt = m_lastUserPrompt;
    info.lastAssistant = m_lastAssistant;
    info.lastModel = m_lastModel;
    info.cwd = m_cwd;
    switch (m_turn.lastType) {
        case LastType::none:
        case LastType::interrupted:
            info.turnComplete = true;
            break;
        case LastType::assistant:
            info.turnComplete =
                (m_turn.stopReasonEndsTurn || m_turn.turnEndNoted) && m_openToolUses.empty();
            break;
        case LastType::other:
            info.turnComplete = false;
            break;
    }
    return info;
}

TranscriptInfo TranscriptParser::parse(std::string_view contents) {
    TranscriptParser parser;
    while (!contents.empty()) {
        const std::size_t end = contents.find('\n');
        parser.consume(contents.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        contents.remove_prefix(end + 1);
    }
    return parser.result();
}

}  // namespace halvane
