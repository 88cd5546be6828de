#include <gtest/gtest.h>

#include "HalvaneProtocol/Injection.h"
#include "HalvaneProtocol/Utf8.h"

using halvane::decodeEscapes;
using halvane::encodeEscapes;
using halvane::injectionSocketPath;

TEST(InjectionEscapes, DecodeFollowsTheEscapeTable) {
    EXPECT_EQ(decodeEscapes("ls\\r"), "ls\r");
    EXPECT_EQ(decodeEscapes("a\\\\b"), "a\\b");
    EXPECT_EQ(decodeEscapes("\\e[A\\t\\n"), "\x1b[A\t\n");
    EXPECT_EQ(decodeEscapes("\\q"), "\\q");
    EXPECT_EQ(decodeEscapes("end\\"), "end\\");
    EXPECT_EQ(decodeEscapes("\\\\r"), "\\r");
    EXPECT_EQ(decodeEscapes(""), "");
    EXPECT_EQ(decodeEscapes("caf\xC3\xA9"), "caf\xC3\xA9");
}

TEST(InjectionEscapes, EncodedTextHasNoLineFeedAndDecodesBack) {
    const std::string bytes = "1\r\nline\\two\t\x1b[B\\";
    const std::string text = encodeEscapes(bytes);
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(decodeEscapes(text), bytes);
}

TEST(InjectionSocket, OnlySafeSessionIdsBecomePaths) {
    const std::string dir = "/run/user/1000/halvane";
    EXPECT_EQ(injectionSocketPath(dir, "3f2a-77"), dir + "/inject-3f2a-77.sock");
    EXPECT_EQ(injectionSocketPath(dir, "../../etc/x"), std::nullopt);
    EXPECT_EQ(injectionSocketPath(dir, "a/b"), std::nullopt);
    EXPECT_EQ(injectionSocketPath(dir, "."), std::nullopt);
    EXPECT_EQ(injectionSocketPath(dir, ".."), std::nullopt);
    EXPECT_EQ(injectionSocketPath(dir, ""), std::nullopt);
    EXPECT_EQ(injectionSocketPath(dir, std::string("a\0b", 3)), std::nullopt);
    // Without a usable runtime folder there are no injectors at all.
    EXPECT_EQ(injectionSocketPath("", "3f2a-77"), std::nullopt);
    // The whole path must fit a socket address (107 bytes plus the NUL).
    const std::string fits(107 - (dir + "/inject-.sock").size(), 'x');
    EXPECT_TRUE(injectionSocketPath(dir, fits));
    EXPECT_FALSE(injectionSocketPath(dir, fits + "x"));
}

TEST(Utf8, AcceptsValidAndRejectsMalformedSequences) {
    EXPECT_TRUE(halvane::isValidUtf8(""));
    EXPECT_TRUE(halvane::isValidUtf8("plain ascii text that is longer than eight bytes"));
    EXPECT_TRUE(halvane::isValidUtf8("\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x98\x80"));
    EXPECT_FALSE(halvane::isValidUtf8("\xC3"));              // cut short
    EXPECT_FALSE(halvane::isValidUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(halvane::isValidUtf8("\xE0\x80\xAF"));      // overlong
    EXPECT_FALSE(halvane::isValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(halvane::isValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(halvane::isValidUtf8("abcdefgh\xFFxyz"));   // after the fast path
    EXPECT_FALSE(halvane::isValidUtf8("\xE2\x28\xA1"));      // bad continuation
}
