#pragma once

#include <string_view>
#include <vector>

#include "Halvane/Sessions/JsonText.h"

namespace halvane {

// A position in one JSON text, with strict checks of everything it steps
// over. Values nobody needs are skipped without being built: strings are
// taken in blocks of bytes, nesting is followed without recursion.
class JsonCursor final {
public:
    // Starts at the beginning of `text`. Strings are checked to be strict
    // UTF-8 and nothing else may be outside ASCII, so a text that is read
    // to its end without failure is valid UTF-8.
    void reset(std::string_view text);

    char peek() const { return m_pos < m_end ? *m_pos : '\0'; }
    bool atEnd() const { return m_pos == m_end; }
    // Steps over `expected` when it is next.
    bool take(char expected) {
        if (m_pos == m_end || *m_pos != expected) {
            return false;
        }
        ++m_pos;
        return true;
    }
    void skipWhitespace() {
        while (m_pos < m_end &&
               (*m_pos == ' ' || *m_pos == '\t' || *m_pos == '\n' || *m_pos == '\r')) {
            ++m_pos;
        }
    }

    // At a '"': steps over the string, checking its escapes, and describes it.
    bool readString(JsonText& value);
    // At any value: steps over it, checking it.
    bool skipValue();

private:
    bool scanString(JsonText* value);
    bool skipKeyAndColon();
    bool skipScalar();
    bool skipNumber();
    bool skipLiteral(std::string_view literal);

    const char* m_pos = nullptr;
    const char* m_end = nullptr;
    std::vector<bool> m_nesting;  // containers open while skipping: true for an array
};

}  // namespace halvane
