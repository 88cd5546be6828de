#include "Halvane/Sessions/JsonStringScan.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define HALVANE_AVX2_DISPATCH 1
#endif

namespace halvane::JsonStringScan {

namespace {

// Which bytes of a block are escaped, and which backslashes escape them:
// backslashes in a run escape in turns. `carry` says the block's first byte
// is escaped by the previous block's last backslash, and is updated for the
// next block. Branch-free, after the method of simdjson.
struct Escapes {
    std::uint32_t escaped;
    std::uint32_t escapers;
};

Escapes findEscapes(std::uint32_t backslashes, std::uint32_t& carry, int width) {
    constexpr std::uint64_t oddBits = 0xAAAAAAAAAAAAAAAAULL;
    const std::uint64_t block = (std::uint64_t{1} << width) - 1;
    const std::uint64_t potential = backslashes & ~std::uint64_t{carry};
    const std::uint64_t codes = (((potential << 1) | oddBits) - potential) ^ oddBits;
    const std::uint64_t escapers = codes & backslashes;
    const auto escaped =
        static_cast<std::uint32_t>((codes ^ (std::uint64_t{backslashes} | carry)) & block);
    carry = static_cast<std::uint32_t>(escapers >> (width - 1)) & 1u;
    return {escaped, static_cast<std::uint32_t>(escapers & block)};
}

// One block's bytes as masks (bit i for byte i).
struct BlockMasks {
    std::uint32_t quotes = 0;
    std::uint32_t backslashes = 0;
    std::uint32_t others = 0;         // control characters and non-ASCII bytes
    std::uint32_t simpleEscapes = 0;  // bytes that may follow a backslash on their own
};

constexpr int noStop = 64;

// Where in a block of `width` bytes the first byte that needs a closer look
// is: a quote that ends the string, the backslash of an escape other than a
// simple one, a control character or a non-ASCII byte; -1 for the backslash
// that ended the previous block; `noStop` when there is none.
int firstStop(const BlockMasks& m, std::uint32_t& carry, int width, bool& escaped) {
    const Escapes escapes = findEscapes(m.backslashes, carry, width);
    const std::uint32_t badEscapes = escapes.escaped & ~m.simpleEscapes;
    if ((badEscapes & 1u) != 0) {
        return -1;
    }
    const std::uint32_t stops = (badEscapes >> 1) | ((m.quotes | m.others) & ~escapes.escaped);
    if (stops == 0) {
        escaped = escaped || escapes.escaped != 0;
        return noStop;
    }
    const int stop = std::countr_zero(stops);
    escaped = escaped || (escapes.escaped & ((std::uint64_t{1} << stop) - 1)) != 0;
    return stop;
}

// Both block loops step over plain bytes and simple escapes and stop at the
// first byte that needs a closer look, or where less than a block is left;
// never inside an escape.
#if defined(__SSE2__)
std::uint32_t mask16(__m128i v) {
    return static_cast<std::uint32_t>(_mm_movemask_epi8(v));
}

__m128i same16(__m128i bytes, char c) {
    return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(c));
}

const char* skipBlocks16(const char* p, const char* end, bool& escaped) {
    std::uint32_t carry = 0;
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        BlockMasks m;
        m.quotes = mask16(same16(bytes, '"'));
        m.backslashes = mask16(same16(bytes, '\\'));
        // The sign bits of the bytes themselves mark the non-ASCII ones.
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(0x1F)), bytes);
        m.others = mask16(_mm_or_si128(control, bytes));
        if ((m.backslashes | carry) != 0) {
            m.simpleEscapes = mask16(
                _mm_or_si128(_mm_or_si128(_mm_or_si128(same16(bytes, '"'), same16(bytes, '\\')),
                                          _mm_or_si128(same16(bytes, '/'), same16(bytes, 'n'))),
                             _mm_or_si128(_mm_or_si128(same16(bytes, 't'), same16(bytes, 'r')),
                                          _mm_or_si128(same16(bytes, 'b'), same16(bytes, 'f')))));
        }
        if (const int stop = firstStop(m, carry, 16, escaped); stop != noStop) {
            return p + stop;
        }
    }
    return p - carry;  // an escape split from its backslash is taken up there
}
#endif

#if defined(HALVANE_AVX2_DISPATCH)
__attribute__((target("avx2"))) std::uint32_t mask32(__m256i v) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(v));
}

__attribute__((target("avx2"))) __m256i same32(__m256i bytes, char c) {
    return _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(c));
}

// The same, 32 bytes at a time, for processors with AVX2.
__attribute__((target("avx2"))) const char* skipBlocks32(const char* p, const char* end,
                                                         bool& escaped) {
    std::uint32_t carry = 0;
    for (; end - p >= 32; p += 32) {
        const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        BlockMasks m;
        m.quotes = mask32(same32(bytes, '"'));
        m.backslashes = mask32(same32(bytes, '\\'));
        const __m256i control =
            _mm256_cmpeq_epi8(_mm256_min_epu8(bytes, _mm256_set1_epi8(0x1F)), bytes);
        m.others = mask32(_mm256_or_si256(control, bytes));
        if ((m.backslashes | carry) != 0) {
            m.simpleEscapes = mask32(_mm256_or_si256(
                _mm256_or_si256(_mm256_or_si256(same32(bytes, '"'), same32(bytes, '\\')),
                                _mm256_or_si256(same32(bytes, '/'), same32(bytes, 'n'))),
                _mm256_or_si256(_mm256_or_si256(same32(bytes, 't'), same32(bytes, 'r')),
                                _mm256_or_si256(same32(bytes, 'b'), same32(bytes, 'f')))));
        }
        if (const int stop = firstStop(m, carry, 32, escaped); stop != noStop) {
            return p + stop;
        }
    }
    return p - carry;
}
#endif

const char* skipPlain(const char* p, const char* end, bool& escaped) {
#if defined(HALVANE_AVX2_DISPATCH)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        p = skipBlocks32(p, end, escaped);
        if (end - p >= 32) {
            return p;  // stopped at a byte, not for want of bytes
        }
    }
#endif
#if defined(__SSE2__)
    p = skipBlocks16(p, end, escaped);
#endif
    return p;
}

bool isPlain(unsigned char byte) {
    return byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\';
}

bool readHex4(const char* p, std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        const char c = p[i];
        value <<= 4;
        if (c >= '0' && c <= '9') {
            value |= static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            value |= static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            value |= static_cast<std::uint32_t>(c - 'A' + 10);
        } else {
            return false;
        }
    }
    return true;
}

// At a backslash: past its escape, or null when it is not a valid one.
const char* skipEscape(const char* p, const char* end) {
    constexpr auto simple = [] {
        std::array<bool, 256> table{};
        for (const unsigned char c : std::string_view("\"\\/bfnrt")) {
            table[c] = true;
        }
        return table;
    }();
    if (end - p >= 2 && simple[static_cast<unsigned char>(p[1])]) {
        return p + 2;
    }
    std::uint32_t unit = 0;
    if (end - p < 6 || p[1] != 'u' || !readHex4(p + 2, unit) ||
        (unit >= 0xDC00 && unit <= 0xDFFF)) {
        return nullptr;
    }
    if (unit < 0xD800 || unit > 0xDBFF) {
        return p + 6;
    }
    // A high surrogate needs its low half right after it.
    std::uint32_t low = 0;
    if (end - p < 12 || p[6] != '\\' || p[7] != 'u' || !readHex4(p + 8, low) || low < 0xDC00 ||
        low > 0xDFFF) {
        return nullptr;
    }
    return p + 12;
}

// At a non-ASCII byte: past the multibyte characters that start there, or
// null when they are not strict UTF-8.
const char* skipMultibyte(const char* p, const char* end) {
    while (p < end && static_cast<unsigned char>(*p) >= 0x80) {
        const auto lead = static_cast<unsigned char>(*p);
        std::ptrdiff_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;   // overlong
            high = lead == 0xED ? 0x9F : 0xBF;  // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;   // overlong
            high = lead == 0xF4 ? 0x8F : 0xBF;  // beyond U+10FFFF
        } else {
            return nullptr;
        }
        if (end - p < length) {
            return nullptr;
        }
        const auto second = static_cast<unsigned char>(p[1]);
        if (second < low || second > high) {
            return nullptr;
        }
        for (std::ptrdiff_t k = 2; k < length; ++k) {
            if ((static_cast<unsigned char>(p[k]) & 0xC0) != 0x80) {
                return nullptr;
            }
        }
        p += length;
    }
    return p;
}

}  // namespace

const char* findClosingQuote(const char* p, const char* end, bool& escaped) {
    for (;;) {
        p = skipPlain(p, end, escaped);
        while (p < end && isPlain(static_cast<unsigned char>(*p))) {
            ++p;
        }
        if (p == end) {
            return nullptr;
        }
        const auto byte = static_cast<unsigned char>(*p);
        if (byte == '"') {
            return p;
        }
        if (byte == '\\') {
            escaped = true;
            p = skipEscape(p, end);
        } else if (byte >= 0x80) {
            p = skipMultibyte(p, end);
        } else {
            return nullptr;  // a raw control character
        }
        if (p == nullptr) {
            return nullptr;
        }
    }
}

}  // namespace halvane::JsonStringScan
