#include "Halvane/Sessions/TranscriptText.h"

#include "Halvane/Sessions/Graphemes.h"
#include "Halvane/Sessions/Utf8Scalars.h"

namespace halvane::TranscriptText {

namespace {

constexpr std::string_view ellipsis = "\u2026";

// Horizontal white space: tab and the space separators.
bool isSpace(char32_t c) {
    return c == 0x09 || c == 0x20 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isSpaceOrNewline(char32_t c) {
    return isSpace(c) || (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

template <typename Predicate>
std::string_view trim(std::string_view text, Predicate strip) {
    std::size_t start = 0;
    while (start < text.size()) {
        const auto scalar = Utf8Scalars::at(text, start);
        if (!strip(scalar.value)) {
            break;
        }
        start += scalar.length;
    }
    std::size_t end = text.size();
    while (end > start) {
        const auto scalar = Utf8Scalars::before(text, end);
        if (!strip(scalar.value)) {
            break;
        }
        end -= scalar.length;
    }
    return text.substr(start, end - start);
}

// Where the closing tag of a pair whose opening tag ended before `from` ends
// (the position of its '>'), or npos when no closing tag follows.
std::size_t closingTagEnd(std::string_view text, std::size_t from) {
    for (std::size_t at = text.find("</", from); at != std::string_view::npos;
         at = text.find("</", at + 1)) {
        if (at + 2 >= text.size()) {
            return std::string_view::npos;
        }
        if (text[at + 2] != '>') {
            return text.find('>', at + 3);
        }
    }
    return std::string_view::npos;
}

}  // namespace

std::string removeTagPairs(std::string_view text) {
    std::string kept;
    std::size_t keptUpTo = 0;
    for (std::size_t open = text.find('<'); open != std::string_view::npos;) {
        // "<>" is no opening tag; try the next '<'.
        if (open + 1 < text.size() && text[open + 1] == '>') {
            open = text.find('<', open + 1);
            continue;
        }
        // The opening tag runs to the first '>'. When no '>' or no closing tag
        // follows, no later '<' can start a pair either: stop.
        const std::size_t openEnd = text.find('>', open + 1);
        if (openEnd == std::string_view::npos) {
            break;
        }
        const std::size_t closeEnd = closingTagEnd(text, openEnd + 1);
        if (closeEnd == std::string_view::npos) {
            break;
        }
        kept.append(text.substr(keptUpTo, open - keptUpTo));
        keptUpTo = closeEnd + 1;
        open = text.find('<', keptUpTo);
    }
    if (keptUpTo == 0) {
        return std::string(text);
    }
    kept.append(text.substr(keptUpTo));
    return kept;
}

std::optional<std::string> clean(std::string_view text) {
    const std::string_view trimmed = trim(text, isSpaceOrNewline);
    if (trimmed.empty()) {
        return std::nullopt;
    }
    std::string joined = removeTagPairs(trimmed);
    for (char& byte : joined) {
        if (byte == '\n') {
            byte = ' ';
        }
    }
    const std::string_view spaced = trim(std::string_view(joined), isSpace);
    if (spaced.empty()) {
        return std::nullopt;
    }
    if (const auto cut = Graphemes::cutPoint(spaced, maximumCharacters)) {
        std::string shortened(spaced.substr(0, *cut));
        shortened.append(ellipsis);
        return shortened;
    }
    return std::string(spaced);
}

}  // namespace halvane::TranscriptText
