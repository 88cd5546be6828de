// How a message text becomes the one line the session list shows.
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>

#include "Halvane/Sessions/TranscriptText.h"

namespace {

using halvane::TranscriptText::clean;
using halvane::TranscriptText::removeTagPairs;

std::string repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

TEST(TagPairs, MatchARegularExpressionEngineOnEveryShortText) {
    // The shortest-match pattern, as a backtracking engine runs it.
    const std::regex pattern(R"(<[^>]+>[\s\S]*?</[^>]+>)");
    const std::string alphabet = "<>/a\n ";
    std::mt19937 random(20260302);
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % 18, ' ');
        for (char& c : text) {
            c = alphabet[random() % alphabet.size()];
        }
        ASSERT_EQ(removeTagPairs(text), std::regex_replace(text, pattern, "")) << text;
    }
}

TEST(TagPairs, RemovesWrappersAndKeepsWhatIsNoPair) {
    EXPECT_EQ(removeTagPairs("<command-name>/model</command-name>\n<command-args></command-args>"),
              "\n");
    EXPECT_EQ(removeTagPairs("keep <b>bold</b> and <i>x</i>!"), "keep  and !");
    EXPECT_EQ(removeTagPairs("a < b and c > d"), "a < b and c > d");
    EXPECT_EQ(removeTagPairs("<open> never closed"), "<open> never closed");
    EXPECT_EQ(removeTagPairs("<>x</a>"), "<>x</a>");
    EXPECT_EQ(removeTagPairs("<a>one</a><b>two</c>three</b>"), "three</b>");
}

TEST(TagPairs, StaysLinearOnHostileInput) {
    // The first two take a backtracking engine quadratic time.
    const std::string opens = repeated("<a>", 200000);
    EXPECT_EQ(removeTagPairs(opens), opens);
    const std::string closes = "<a>" + repeated("</", 200000);
    EXPECT_EQ(removeTagPairs(closes), closes);
    EXPECT_EQ(removeTagPairs(repeated("<a>x</a>", 100000)), "");
}

TEST(CleanText, TrimsUnicodeWhiteSpaceThenSpacesOnlyAfterJoiningLines) {
    EXPECT_EQ(clean("\u3000\u00A0\t Hello\u2028\r\n"), "Hello");
    EXPECT_EQ(clean("two\nlines\n\nhere"), "two lines  here");
    EXPECT_EQ(clean("<tag>gone</tag>\n\nHello"), "Hello");
    // The second trim leaves other line breaks alone.
    EXPECT_EQ(clean("<a>x</a>Hi\r<b>y</b>"), "Hi\r");
    // Zero-width space is no white space.
    EXPECT_EQ(clean("\u200BHi"), "\u200BHi");
    EXPECT_FALSE(clean(" \n\u2003 "));
    EXPECT_FALSE(clean("<a>only a tag pair</a>"));
    EXPECT_FALSE(clean("\t<a>x</a>\n<b>y</b> "));
}

TEST(CleanText, CutsAfter240CharactersWithAnEllipsis) {
    EXPECT_EQ(clean(std::string(240, 'a')), std::string(240, 'a'));
    EXPECT_EQ(clean(std::string(241, 'a')), std::string(240, 'a') + "…");
    EXPECT_EQ(clean(std::string(300, 'b')), std::string(240, 'b') + "…");
    // Two-byte characters are cut between characters, not bytes.
    EXPECT_EQ(clean(repeated("é", 300)), repeated("é", 240) + "…");
}

TEST(CleanText, CutsAfterAWholeCharacter) {
    // Four people joined into one character: the ellipsis comes after all.
    const std::string family = "👩\u200D👩\u200D👧\u200D👦";
    EXPECT_EQ(clean(std::string(239, 'a') + family + "b"), std::string(239, 'a') + family + "…");
}

}  // namespace
