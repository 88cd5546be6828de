#include "Halvane/Sessions/JsonText.h"

#include <cstdint>

namespace halvane {

namespace {

std::uint32_t hexValue(std::string_view digits) {
    std::uint32_t value = 0;
    for (const char digit : digits) {
        value <<= 4;
        if (digit >= '0' && digit <= '9') {
            value |= static_cast<std::uint32_t>(digit - '0');
        } else if (digit >= 'a' && digit <= 'f') {
            value |= static_cast<std::uint32_t>(digit - 'a' + 10);
        } else {
            value |= static_cast<std::uint32_t>(digit - 'A' + 10);
        }
    }
    return value;
}

void appendUtf8(std::string& out, std::uint32_t scalar) {
    if (scalar < 0x80) {
        out.push_back(static_cast<char>(scalar));
    } else if (scalar < 0x800) {
        out.push_back(static_cast<char>(0xC0 | scalar >> 6));
        out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
    } else if (scalar < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | scalar >> 12));
        out.push_back(static_cast<char>(0x80 | (scalar >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | scalar >> 18));
        out.push_back(static_cast<char>(0x80 | (scalar >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (scalar >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
    }
}

}  // namespace

std::string JsonText::decoded() const {
    if (!escaped) {
        return std::string(raw);
    }
    std::string out;
    out.reserve(raw.size());
    std::size_t pos = 0;
    while (pos < raw.size()) {
        const std::size_t backslash = raw.find('\\', pos);
        if (backslash == std::string_view::npos) {
            out.append(raw.substr(pos));
            break;
        }
        out.append(raw.substr(pos, backslash - pos));
        const char kind = raw[backslash + 1];
        pos = backslash + 2;
        switch (kind) {
            case 'b':
                out.push_back('\b');
                break;
            case 'f':
                out.push_back('\f');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'u': {
                std::uint32_t scalar = hexValue(raw.substr(pos, 4));
                pos += 4;
                // A high surrogate always comes with its low half: the reader
                // refuses lines where it does not.
                if (scalar >= 0xD800 && scalar <= 0xDBFF) {
                    const std::uint32_t low = hexValue(raw.substr(pos + 2, 4));
                    scalar = 0x10000 + ((scalar - 0xD800) << 10) + (low - 0xDC00);
                    pos += 6;
                }
                appendUtf8(out, scalar);
                break;
            }
            default:  // '"', '\\' and '/' stand for themselves
                out.push_back(kind);
                break;
        }
    }
    return out;
}

}  // namespace halvane
