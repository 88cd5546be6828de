#pragma once

#include <cstddef>
#include <string_view>

namespace halvane::Utf8Scalars {

// Decoding of text already known to be valid UTF-8: no checks, no failures.

struct Scalar {
    char32_t value = 0;
    std::size_t length = 0;  // bytes
};

// The scalar that starts at `pos` (< text.size()).
inline Scalar at(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return {lead, 1};
    }
    if (lead < 0xE0) {
        return {static_cast<char32_t>((lead & 0x1Fu) << 6 | (byte(1) & 0x3Fu)), 2};
    }
    if (lead < 0xF0) {
        return {static_cast<char32_t>((lead & 0x0Fu) << 12 | (byte(1) & 0x3Fu) << 6 |
                                      (byte(2) & 0x3Fu)),
                3};
    }
    return {static_cast<char32_t>((lead & 0x07u) << 18 | (byte(1) & 0x3Fu) << 12 |
                                  (byte(2) & 0x3Fu) << 6 | (byte(3) & 0x3Fu)),
            4};
}

// The scalar that ends at `end` (> 0).
inline Scalar before(std::string_view text, std::size_t end) {
    std::size_t start = end - 1;
    while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0u) == 0x80u) {
        --start;
    }
    return at(text, start);
}

}  // namespace halvane::Utf8Scalars
