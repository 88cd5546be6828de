#pragma once

#include <optional>
#include <string_view>

#include "Halvane/Sessions/JsonCursor.h"
#include "Halvane/Sessions/JsonText.h"
#include "Halvane/Sessions/TranscriptLine.h"

namespace halvane {

// Reads the few keys session tracking needs from one transcript line and
// steps over the rest (tool inputs and outputs, thinking, usage) without
// building anything: transcripts run to tens of megabytes. The whole line is
// still checked as strict JSON, so a line any JSON parser refuses is refused
// here too: unpaired surrogate escapes, control characters in strings,
// numbers beyond the range of a double, trailing text.
class TranscriptLineReader final {
public:
    // Reads `text`, one line without its line feed. False when it is not
    // exactly one JSON object in valid UTF-8; otherwise `line` holds what it
    // says, as views into `text`.
    bool read(std::string_view text, TranscriptLine& line);

private:
    template <typename OnMember>
    bool readObject(OnMember&& onMember);
    bool readTopMember(const JsonText& key, TranscriptLine& line);
    bool readMessageMember(const JsonText& key, TranscriptLine& line);
    bool readContent(TranscriptLine& line);
    bool readBlock(TranscriptLine& line);
    bool readStringValue(std::optional<JsonText>& value);

    JsonCursor m_cursor;
};

}  // namespace halvane
