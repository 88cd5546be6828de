#include "Halvane/Sessions/TranscriptLineReader.h"

namespace halvane {

bool TranscriptLineReader::read(std::string_view text, TranscriptLine& line) {
    line.clear();
    m_cursor.reset(text);
    m_cursor.skipWhitespace();
    if (m_cursor.peek() != '{' ||
        !readObject([&](const JsonText& key) { return readTopMember(key, line); })) {
        return false;
    }
    m_cursor.skipWhitespace();
    return m_cursor.atEnd();
}

// At a '{': reads the members up to the closing '}'. `onMember` is called with
// the cursor at each member's value and must step over it.
template <typename OnMember>
bool TranscriptLineReader::readObject(OnMember&& onMember) {
    m_cursor.take('{');
    m_cursor.skipWhitespace();
    if (m_cursor.take('}')) {
        return true;
    }
    for (;;) {
        JsonText key;
        if (!m_cursor.readString(key)) {
            return false;
        }
        m_cursor.skipWhitespace();
        if (!m_cursor.take(':')) {
            return false;
        }
        m_cursor.skipWhitespace();
        if (!onMember(key)) {
            return false;
        }
        m_cursor.skipWhitespace();
        if (m_cursor.take('}')) {
            return true;
        }
        if (!m_cursor.take(',')) {
            return false;
        }
        m_cursor.skipWhitespace();
    }
}

bool TranscriptLineReader::readTopMember(const JsonText& key, TranscriptLine& line) {
    if (key.equals("message")) {
        line.clearMessage();
        line.hasMessage = m_cursor.peek() == '{';
        if (!line.hasMessage) {
            return m_cursor.skipValue();
        }
        return readObject([&](const JsonText& inner) { return readMessageMember(inner, line); });
    }
    if (key.equals("type")) {
        return readStringValue(line.type);
    }
    if (key.equals("cwd")) {
        return readStringValue(line.cwd);
    }
    if (key.equals("subtype")) {
        return readStringValue(line.subtype);
    }
    if (key.equals("isMeta")) {
        line.isMeta = m_cursor.peek() == 't';
        return m_cursor.skipValue();
    }
    if (key.equals("isCompactSummary")) {
        line.isCompactSummary = m_cursor.peek() == 't';
        return m_cursor.skipValue();
    }
    return m_cursor.skipValue();
}

bool TranscriptLineReader::readMessageMember(const JsonText& key, TranscriptLine& line) {
    if (key.equals("content")) {
        return readContent(line);
    }
    if (key.equals("stop_reason")) {
        return readStringValue(line.stopReason);
    }
    if (key.equals("model")) {
        return readStringValue(line.model);
    }
    return m_cursor.skipValue();
}

bool TranscriptLineReader::readContent(TranscriptLine& line) {
    line.text.reset();
    line.toolUseChanges.clear();
    if (m_cursor.peek() == '"') {
        JsonText text;
        if (!m_cursor.readString(text)) {
            return false;
        }
        line.text = text;
        return true;
    }
    if (!m_cursor.take('[')) {
        return m_cursor.skipValue();
    }
    m_cursor.skipWhitespace();
    if (m_cursor.take(']')) {
        return true;
    }
    // The blocks count only when every element is an object.
    bool onlyObjects = true;
    for (;;) {
        if (m_cursor.peek() == '{') {
            if (!readBlock(line)) {
                return false;
            }
        } else {
            onlyObjects = false;
            if (!m_cursor.skipValue()) {
                return false;
            }
        }
        m_cursor.skipWhitespace();
        if (m_cursor.take(']')) {
            break;
        }
        if (!m_cursor.take(',')) {
            return false;
        }
        m_cursor.skipWhitespace();
    }
    if (!onlyObjects) {
        line.text.reset();
        line.toolUseChanges.clear();
    }
    return true;
}

bool TranscriptLineReader::readBlock(TranscriptLine& line) {
    std::optional<JsonText> type, id, toolUseId, text;
    const bool read = readObject([&](const JsonText& key) {
        if (key.equals("type")) {
            return readStringValue(type);
        }
        if (key.equals("id")) {
            return readStringValue(id);
        }
        if (key.equals("tool_use_id")) {
            return readStringValue(toolUseId);
        }
        if (key.equals("text")) {
            return readStringValue(text);
        }
        return m_cursor.skipValue();
    });
    if (!read) {
        return false;
    }
    if (type && type->equals("tool_use")) {
        if (id) {
            line.toolUseChanges.push_back({true, *id});
        }
    } else if (type && type->equals("tool_result") && toolUseId) {
        line.toolUseChanges.push_back({false, *toolUseId});
    }
    if (!line.text && text) {
        line.text = text;
    }
    return true;
}

bool TranscriptLineReader::readStringValue(std::optional<JsonText>& value) {
    if (m_cursor.peek() != '"') {
        value.reset();
        return m_cursor.skipValue();
    }
    JsonText text;
    if (!m_cursor.readString(text)) {
        return false;
    }
    value = text;
    return true;
}

}  // namespace halvane
