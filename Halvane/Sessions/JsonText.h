#pragma once

#include <string>
#include <string_view>

namespace halvane {

// A JSON string as it stands in its line: the bytes between the quotes, with
// escapes still in place. Most strings of a transcript are never looked at, so
// they are only decoded on demand. The line must outlive it.
struct JsonText {
    std::string_view raw;
    bool escaped = false;  // raw holds at least one backslash escape

    // The string's value, UTF-8. The escapes were checked when the line was read.
    std::string decoded() const;
    bool equals(std::string_view value) const {
        return escaped ? decoded() == value : raw == value;
    }
};

}  // namespace halvane
