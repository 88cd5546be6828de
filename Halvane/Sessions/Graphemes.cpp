#include "Halvane/Sessions/Graphemes.h"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/ucpmap.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace halvane::Graphemes {

namespace {

struct BreakIteratorCloser {
    void operator()(UBreakIterator* iterator) const { ubrk_close(iterator); }
};
using BreakIterator = std::unique_ptr<UBreakIterator, BreakIteratorCloser>;

// Opening an iterator loads ICU's rules, which costs far more than a cut, so
// each thread keeps one; an iterator must not be shared between threads.
UBreakIterator* characterIterator() {
    thread_local const BreakIterator iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        BreakIterator opened(ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status));
        return U_SUCCESS(status) ? std::move(opened) : BreakIterator();
    }();
    return iterator.get();
}

// ICU's table of each code point's Grapheme_Cluster_Break class, shared and
// read-only, and much quicker to ask than the general property lookup.
const UCPMap* breakClasses() {
    static const UCPMap* const map = [] {
        UErrorCode status = U_ZERO_ERROR;
        const UCPMap* loaded = u_getIntPropertyMap(UCHAR_GRAPHEME_CLUSTER_BREAK, &status);
        return U_SUCCESS(status) ? loaded : nullptr;
    }();
    return map;
}

struct CodePoint {
    std::int32_t breakClass = U_GCB_OTHER;
    std::size_t end = 0;  // where the next one starts
};

// Ill-formed bytes read as U+FFFD, as ICU's own UTF-8 text does.
CodePoint codePointAt(std::string_view text, std::size_t pos) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    auto next = static_cast<std::int64_t>(pos);
    UChar32 c = 0;
    U8_NEXT_OR_FFFD(bytes, next, static_cast<std::int64_t>(text.size()), c);
    const UCPMap* classes = breakClasses();
    return {classes != nullptr ? static_cast<std::int32_t>(ucpmap_get(classes, c))
                               : u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK),
            static_cast<std::size_t>(next)};
}

// Every rule that keeps two code points in one character wants a mark, a
// joiner, a prepended sign, a regional indicator, a Hangul jamo or syllable
// on one side, or is CR LF. Between two code points of the classes below no
// rule applies: a character always ends there, ICU need not be asked, and the
// text on either side is segmented the same on its own as in the whole.
bool endsPlainly(std::int32_t breakClass) {
    return breakClass == U_GCB_OTHER || breakClass == U_GCB_CONTROL || breakClass == U_GCB_LF;
}
bool startsPlainly(std::int32_t breakClass) {
    return breakClass == U_GCB_OTHER || breakClass == U_GCB_CONTROL || breakClass == U_GCB_CR ||
           breakClass == U_GCB_LF;
}

bool isAscii(char byte) {
    return (static_cast<unsigned char>(byte) & 0x80u) == 0;
}

// A run in UTF-16, ICU's own form, which its iterator reads twice as fast as
// UTF-8, with the byte offset in the run of each unit. Kept per thread so
// the buffers are allocated once.
struct Utf16Run {
    std::vector<UChar> units;
    std::vector<std::size_t> offsets;

    void assign(std::string_view run) {
        units.clear();
        offsets.clear();
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(run.data());
        const auto length = static_cast<std::int64_t>(run.size());
        for (std::int64_t pos = 0; pos < length;) {
            const auto start = static_cast<std::size_t>(pos);
            UChar32 c = 0;
            U8_NEXT_OR_FFFD(bytes, pos, length, c);
            if (U_IS_BMP(c)) {
                units.push_back(static_cast<UChar>(c));
                offsets.push_back(start);
            } else {
                units.push_back(U16_LEAD(c));
                units.push_back(U16_TRAIL(c));
                offsets.insert(offsets.end(), 2, start);
            }
        }
        offsets.push_back(run.size());
    }
};

// Counts the characters of `run` with ICU: where character `wanted` + 1
// starts, or empty with `characters` set to how many the run holds.
std::optional<std::size_t> segment(std::string_view run, std::size_t wanted,
                                   std::size_t& characters) {
    characters = 0;
    thread_local Utf16Run utf16;
    utf16.assign(run);
    UBreakIterator* iterator = characterIterator();
    UErrorCode status = U_ZERO_ERROR;
    if (iterator != nullptr && utf16.units.size() <= std::numeric_limits<std::int32_t>::max()) {
        ubrk_setText(iterator, utf16.units.data(), static_cast<std::int32_t>(utf16.units.size()),
                     &status);
    } else {
        status = U_UNSUPPORTED_ERROR;
    }
    std::optional<std::size_t> cut;
    if (U_SUCCESS(status)) {
        for (std::int32_t boundary = ubrk_first(iterator);
             boundary != UBRK_DONE && static_cast<std::size_t>(boundary) < utf16.units.size();
             boundary = ubrk_next(iterator)) {
            if (characters == wanted) {
                cut = utf16.offsets[static_cast<std::size_t>(boundary)];
                break;
            }
            ++characters;
        }
        // The iterator must not keep pointing into a buffer that changes.
        ubrk_setText(iterator, nullptr, 0, &status);
    } else {
        // Without ICU's rules (its data failed to load) whole code points
        // still never split a character's bytes.
        for (std::size_t pos = 0; pos < run.size(); pos = codePointAt(run, pos).end) {
            if (characters == wanted) {
                cut = pos;
                break;
            }
            ++characters;
        }
    }
    return cut;
}

}  // namespace

std::optional<std::size_t> cutPoint(std::string_view text, std::size_t count) {
    std::size_t characters = 0;
    // Always at the start of a character.
    std::size_t pos = 0;
    // The code point at pos, once read.
    std::optional<CodePoint> known;
    while (pos < text.size()) {
        if (characters == count) {
            return pos;
        }
        // Between two ASCII characters a character always ends, CR LF
        // excepted: most transcript text is counted here, byte by byte, no
        // further than the cut.
        const std::size_t wanted = count - characters;
        const std::size_t limit = wanted >= text.size() - pos ? text.size() : pos + wanted + 1;
        std::size_t ascii = pos;
        while (ascii < limit && isAscii(text[ascii]) && text[ascii] != '\r') {
            ++ascii;
        }
        // The last one may still take a mark that follows it.
        const bool mayTakeMark = ascii > pos && ascii < text.size() && !isAscii(text[ascii]);
        const std::size_t singles = ascii - pos - (mayTakeMark ? 1 : 0);
        if (singles > 0) {
            if (singles > wanted) {
                return pos + wanted;
            }
            characters += singles;
            pos += singles;
            known.reset();
            continue;
        }
        // The run up to the next end of a character no rule can move.
        CodePoint last = known ? *known : codePointAt(text, pos);
        known.reset();
        std::size_t end = last.end;
        std::size_t codePoints = 1;
        while (end < text.size()) {
            const CodePoint next = codePointAt(text, end);
            if ((endsPlainly(last.breakClass) && startsPlainly(next.breakClass)) ||
                (last.breakClass == U_GCB_CR && next.breakClass != U_GCB_LF)) {
                known = next;
                break;
            }
            last = next;
            end = next.end;
            ++codePoints;
        }
        if (codePoints == 1) {
            ++characters;
            pos = end;
            continue;
        }
        std::size_t inRun = 0;
        if (const auto cut = segment(text.substr(pos, end - pos), count - characters, inRun)) {
            return pos + *cut;
        }
        characters += inRun;
        pos = end;
    }
    return std::nullopt;
}

}  // namespace halvane::Graphemes
