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

}  // namespace

void TranscriptParser::consume(std::string_view line) {
    if (m_invalidUtf8 || line.empty()) {
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
        if (m_lastType == LastType::assistant && notesTurnEnd(line)) {
            m_turnEndNoted = true;
        }
        return;
    }
    for (const auto& change : line.toolUseChanges) {
        if (change.opens) {
            m_openToolUses.insert(change.id.decoded());
        } else {
            m_openToolUses.erase(change.id.decoded());
        }
    }
    const bool user = line.type->equals("user");
    const bool assistant = !user && line.type->equals("assistant");
    if (assistant) {
        m_stopReasonEndsTurn = endsTurn(line.stopReason);
        if (line.model) {
            m_lastModel = line.model->decoded();
        }
    }
    if (line.text && (user || assistant)) {
        if (auto text = TranscriptText::clean(line.text->decoded())) {
            if (assistant) {
                m_lastAssistant = std::move(text);
            } else {
                if (!m_firstUserPrompt) {
                    m_firstUserPrompt = text;
                }
                m_lastUserPrompt = std::move(text);
            }
        }
    }
    m_lastType = assistant ? LastType::assistant : LastType::other;
    m_turnEndNoted = false;
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
    switch (m_lastType) {
        case LastType::none:
            info.turnComplete = true;
            break;
        case LastType::assistant:
            info.turnComplete = (m_stopReasonEndsTurn || m_turnEndNoted) && m_openToolUses.empty();
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
