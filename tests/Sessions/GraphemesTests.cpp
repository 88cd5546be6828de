// Character counting, checked against the whole of Unicode's own grapheme
// break test in the Unicode version of the ICU we are built with.
#include <gtest/gtest.h>

#include <unicode/uchar.h>
#include <unicode/uversion.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "Halvane/Sessions/Graphemes.h"

namespace {

using halvane::Graphemes::cutPoint;

const std::filesystem::path breakTest =
    std::filesystem::path(HALVANE_TEST_FIXTURES) / "unicode" / "GraphemeBreakTest.txt";

// One line of the test: the text and where each of its characters starts.
struct Sample {
    int line = 0;
    std::string text;
    std::vector<std::size_t> starts;
};

std::string utf8(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// "÷ 0020 × 0308 ÷ 0020 ÷	# comment": ÷ marks a boundary, × none.
std::optional<Sample> parse(const std::string& line, int number) {
    const std::string body = line.substr(0, line.find('#'));
    std::istringstream tokens(body);
    Sample sample{number, {}, {}};
    bool sawText = false;
    for (std::string token; tokens >> token;) {
        if (token == "÷") {
            sample.starts.push_back(sample.text.size());
        } else if (token != "×") {
            sample.text += utf8(static_cast<char32_t>(std::stoul(token, nullptr, 16)));
            sawText = true;
        }
    }
    if (!sawText || sample.starts.empty() || sample.starts.back() != sample.text.size()) {
        return std::nullopt;
    }
    sample.starts.pop_back();  // the end of the text starts nothing
    return sample;
}

// "15.0.0" and "15.0" name the same version.
std::string withoutTrailingZeros(std::string version) {
    while (version.size() > 2 && version.ends_with(".0")) {
        version.resize(version.size() - 2);
    }
    return version;
}

std::string icuUnicodeVersion() {
    UVersionInfo version;
    u_getUnicodeVersion(version);
    char text[U_MAX_VERSION_STRING_LENGTH] = {};
    u_versionToString(version, text);
    return text;
}

void expectCuts(const std::string& text, const std::vector<std::size_t>& starts) {
    for (std::size_t count = 0; count <= starts.size(); ++count) {
        const std::optional<std::size_t> expected =
            count < starts.size() ? std::optional(starts[count]) : std::nullopt;
        EXPECT_EQ(cutPoint(text, count), expected) << "after " << count << " characters";
    }
}

TEST(Graphemes, CutWhereUnicodesOwnBreakTestBreaks) {
    std::ifstream file(breakTest);
    ASSERT_TRUE(file) << "cannot read " << breakTest;
    std::string header;
    std::getline(file, header);
    const std::string prefix = "# GraphemeBreakTest-";
    ASSERT_EQ(header.rfind(prefix, 0), 0u) << header;
    const std::string fileVersion =
        header.substr(prefix.size(), header.find(".txt") - prefix.size());
    // The rules change with Unicode's versions: a test of another version
    // than ICU's would fail for the wrong reason.
    for (const std::string& icu : {std::string(U_UNICODE_VERSION), icuUnicodeVersion()}) {
        ASSERT_EQ(withoutTrailingZeros(fileVersion), withoutTrailingZeros(icu))
            << breakTest << " is of Unicode " << fileVersion << " but ICU implements Unicode "
            << icu << ": replace it with GraphemeBreakTest.txt of Unicode " << icu;
    }

    int samples = 0;
    int line = 1;
    for (std::string text; std::getline(file, text);) {
        ++line;
        if (text.empty() || text.front() == '#') {
            continue;
        }
        const auto sample = parse(text, line);
        ASSERT_TRUE(sample) << "cannot read line " << line << ": " << text;
        ++samples;
        SCOPED_TRACE("line " + std::to_string(line) + ": " + text);
        expectCuts(sample->text, sample->starts);
        // After a line feed a character always starts, so the same text
        // there has the same characters: this one follows ASCII, which is
        // counted without ICU.
        std::vector<std::size_t> shifted = {0, 1, 2};
        for (const std::size_t start : sample->starts) {
            shifted.push_back(start + 3);
        }
        expectCuts("ab\n" + sample->text, shifted);
    }
    EXPECT_GT(samples, 600);
}

TEST(Graphemes, CountsLongTextToItsEndAndNeverPastIllFormedBytes) {
    const std::string family = "👩\u200D👩\u200D👧\u200D👦";
    std::string text = "x";
    for (int i = 0; i < 240; ++i) {
        text += family;
    }
    EXPECT_EQ(cutPoint(text, 240), 1 + 239 * family.size());
    EXPECT_EQ(cutPoint(text, 241), std::nullopt);
    EXPECT_EQ(cutPoint(text, 100000), std::nullopt);
    EXPECT_EQ(cutPoint("", 0), std::nullopt);

    // Each ill-formed sequence counts as one character, as U+FFFD would.
    EXPECT_EQ(cutPoint("a\xFF"
                       "b",
                       1),
              1u);
    EXPECT_EQ(cutPoint("a\xFF"
                       "b",
                       2),
              2u);
    EXPECT_EQ(cutPoint("a\xFF"
                       "b",
                       3),
              std::nullopt);
    // A sequence cut short at the end is not read beyond.
    EXPECT_EQ(cutPoint("ab\xE2\x82", 2), 2u);
    EXPECT_EQ(cutPoint("ab\xE2\x82", 3), std::nullopt);
    EXPECT_EQ(cutPoint("\xF0\x9F", 0), 0u);
    EXPECT_EQ(cutPoint("\xF0\x9F", 1), std::nullopt);
}

}  // namespace
