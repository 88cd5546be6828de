#pragma once

#include <string>
#include <string_view>

namespace halvane {

// Texts as a readable list for log lines: ["a", "b"]. Quotes, backslashes
// and control characters are escaped, so one list stays on one line.
template <typename Range>
std::string quotedList(const Range& texts);

// One text in double quotes, escaped as in quotedList.
std::string quotedText(std::string_view text);

template <typename Range>
std::string quotedList(const Range& texts) {
    std::string list = "[";
    bool first = true;
    for (const auto& text : texts) {
        if (!first) {
            list += ", ";
        }
        first = false;
        list += quotedText(text);
    }
    list += ']';
    return list;
}

}  // namespace halvane
