#include "Halvane/Sessions/JsonCursor.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "Halvane/Sessions/JsonStringScan.h"

namespace halvane {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether a number stays finite as a double: JSON parsers refuse those that
// overflow. Only its decimal magnitude matters, except right at the limit.
bool isFiniteNumber(std::string_view token, std::string_view integer, std::string_view fraction,
                    std::int64_t exponent) {
    std::int64_t magnitude = 0;  // 10^(magnitude-1) <= |value| < 10^magnitude
    if (const auto first = integer.find_first_not_of('0'); first != std::string_view::npos) {
        magnitude = static_cast<std::int64_t>(integer.size() - first);
    } else if (const auto firstFraction = fraction.find_first_not_of('0');
               firstFraction != std::string_view::npos) {
        magnitude = -static_cast<std::int64_t>(firstFraction);
    } else {
        return true;  // zero
    }
    magnitude += exponent;
    if (magnitude <= 308) {
        return true;
    }
    if (magnitude >= 310) {
        return false;
    }
    double value = 0;
    return std::from_chars(token.data(), token.data() + token.size(), value).ec == std::errc();
}

}  // namespace

void JsonCursor::reset(std::string_view text) {
    m_pos = text.data();
    m_end = text.data() + text.size();
    m_nesting.clear();
}

bool JsonCursor::readString(JsonText& value) {
    return scanString(&value);
}

bool JsonCursor::scanString(JsonText* value) {
    if (!take('"')) {
        return false;
    }
    bool escaped = false;
    const char* close = JsonStringScan::findClosingQuote(m_pos, m_end, escaped);
    if (close == nullptr) {
        return false;
    }
    if (value != nullptr) {
        *value =
            JsonText{std::string_view(m_pos, static_cast<std::size_t>(close - m_pos)), escaped};
    }
    m_pos = close + 1;
    return true;
}

bool JsonCursor::skipKeyAndColon() {
    if (!scanString(nullptr)) {
        return false;
    }
    skipWhitespace();
    if (!take(':')) {
        return false;
    }
    skipWhitespace();
    return true;
}

bool JsonCursor::skipValue() {
    const std::size_t outer = m_nesting.size();
    for (;;) {
        // A value starts here.
        const char first = peek();
        if (first == '{' || first == '[') {
            const bool array = first == '[';
            ++m_pos;
            skipWhitespace();
            if (!take(array ? ']' : '}')) {
                m_nesting.push_back(array);
                if (!array && !skipKeyAndColon()) {
                    return false;
                }
                continue;
            }
        } else if (!skipScalar()) {
            return false;
        }
        // A value ended: close the containers it ends, or go on to the next element.
        for (;;) {
            if (m_nesting.size() == outer) {
                return true;
            }
            skipWhitespace();
            const bool inArray = m_nesting.back();
            if (take(inArray ? ']' : '}')) {
                m_nesting.pop_back();
                continue;
            }
            if (!take(',')) {
                return false;
            }
            skipWhitespace();
            if (!inArray && !skipKeyAndColon()) {
                return false;
            }
            break;
        }
    }
}

bool JsonCursor::skipScalar() {
    switch (peek()) {
        case '"':
            return scanString(nullptr);
        case 't':
            return skipLiteral("true");
        case 'f':
            return skipLiteral("false");
        case 'n':
            return skipLiteral("null");
        default:
            return skipNumber();
    }
}

bool JsonCursor::skipNumber() {
    const char* token = m_pos;
    take('-');
    const char* integer = m_pos;
    if (!take('0')) {
        if (!isDigit(peek())) {
            return false;
        }
        while (isDigit(peek())) {
            ++m_pos;
        }
    }
    const std::string_view integerDigits(integer, static_cast<std::size_t>(m_pos - integer));
    std::string_view fractionDigits;
    if (take('.')) {
        const char* fraction = m_pos;
        if (!isDigit(peek())) {
            return false;
        }
        while (isDigit(peek())) {
            ++m_pos;
        }
        fractionDigits = std::string_view(fraction, static_cast<std::size_t>(m_pos - fraction));
    }
    std::int64_t exponent = 0;
    if (take('e') || take('E')) {
        const bool negative = take('-');
        if (!negative) {
            take('+');
        }
        if (!isDigit(peek())) {
            return false;
        }
        while (isDigit(peek())) {
            if (exponent < 1'000'000'000'000) {
                exponent = exponent * 10 + (*m_pos - '0');
            }
            ++m_pos;
        }
        exponent = negative ? -exponent : exponent;
    } else if (integerDigits.size() <= 300) {
        return true;  // too short to overflow
    }
    return isFiniteNumber(std::string_view(token, static_cast<std::size_t>(m_pos - token)),
                          integerDigits, fractionDigits, exponent);
}

bool JsonCursor::skipLiteral(std::string_view literal) {
    if (static_cast<std::size_t>(m_end - m_pos) < literal.size() ||
        std::memcmp(m_pos, literal.data(), literal.size()) != 0) {
        return false;
    }
    m_pos += literal.size();
    return true;
}

}  // namespace halvane
