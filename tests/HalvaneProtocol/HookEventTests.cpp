#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "HalvaneProtocol/HookEvent.h"
#include "HalvaneProtocol/WireTime.h"

using halvane::HookEvent;

namespace {

HookEvent fullEvent() {
    HookEvent event;
    event.kind = HookEvent::Kind::permissionRequest;
    event.sessionId = "0b5c3b8e-1f4a-4f0e-9a43-2d1c9a7e5f10";
    event.cwd = "/home/ada/src/engine";
    event.tool = "Bash";
    event.toolInput = R"({"command":"ls -la\nrm -rf build","description":"List"})";
    event.message = "Claude needs your permission";
    event.timestamp = 786'000'123.25;
    event.terminalId = "org.gnome.Terminal";
    event.terminalPid = 812;
    event.suggestions = std::vector<std::string>{"yes", "no"};
    event.claudePid = 2'147'483'647;
    return event;
}

std::string minimal(const std::string& extra = "") {
    return R"({"kind":"stop","sessionId":"s","cwd":"/","timestamp":0)" + extra + "}";
}

}  // namespace

TEST(HookEventKind, RawValuesAreExactAndCaseSensitive) {
    EXPECT_EQ(halvane::wireName(HookEvent::Kind::permissionRequest), "permissionRequest");
    EXPECT_EQ(halvane::wireName(HookEvent::Kind::notification), "notification");
    EXPECT_EQ(halvane::wireName(HookEvent::Kind::stop), "stop");
    EXPECT_EQ(halvane::hookEventKindFromWire("stop"), HookEvent::Kind::stop);
    EXPECT_EQ(halvane::hookEventKindFromWire("Stop"), std::nullopt);
    EXPECT_EQ(halvane::hookEventKindFromWire(""), std::nullopt);
}

TEST(HookEventEncoding, RoundTripsEveryField) {
    const HookEvent event = fullEvent();
    const auto decoded = HookEvent::decode(event.encode());
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(*decoded, event);
}

TEST(HookEventEncoding, WritesOneLineWithTheProductKeys) {
    const std::string text = fullEvent().encode();
    EXPECT_EQ(text.find('\n'), std::string::npos);
    const auto object = nlohmann::json::parse(text);
    // toolInput travels as a string holding JSON, not as a nested object.
    ASSERT_TRUE(object.at("toolInput").is_string());
    EXPECT_EQ(object.at("kind"), "permissionRequest");
    EXPECT_EQ(object.at("claudePid"), 2'147'483'647);
    EXPECT_EQ(object.size(), 11u);
}

TEST(HookEventEncoding, OmitsAbsentOptionalsInsteadOfWritingNull) {
    HookEvent event;
    event.kind = HookEvent::Kind::notification;
    event.sessionId = "s";
    event.cwd = "/tmp";
    const auto object = nlohmann::json::parse(event.encode());
    EXPECT_EQ(object.size(), 4u) << object.dump();
    EXPECT_FALSE(object.contains("tool"));
    EXPECT_FALSE(object.contains("suggestions"));
}

TEST(HookEventEncoding, TimestampCountsFromTwoThousandOne) {
    const auto epoch2001 = std::chrono::system_clock::time_point(std::chrono::seconds(978307200));
    EXPECT_DOUBLE_EQ(halvane::wireTimestamp(epoch2001), 0.0);
    EXPECT_EQ(halvane::timeFromWire(0.0), epoch2001);
    EXPECT_EQ(halvane::timeFromWire(halvane::wireTimestamp(epoch2001 + std::chrono::seconds(90))),
              epoch2001 + std::chrono::seconds(90));
    const auto decoded = HookEvent::decode(minimal());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(halvane::timeFromWire(decoded->timestamp), epoch2001);
}

TEST(HookEventEncoding, InvalidUtf8IsReplacedNotFatal) {
    HookEvent event = fullEvent();
    event.message = std::string("caf\xC3\x28 bytes");
    const std::string text = event.encode();
    const auto decoded = HookEvent::decode(text);
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_NE(decoded->message, event.message);
}

TEST(HookEventDecoding, MinimalEventHasNoOptionalFields) {
    const auto decoded = HookEvent::decode(minimal());
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded->kind, HookEvent::Kind::stop);
    EXPECT_FALSE(decoded->tool || decoded->toolInput || decoded->message || decoded->terminalId ||
                 decoded->terminalPid || decoded->suggestions || decoded->claudePid);

    // Older relays still send the iTerm session id; it is ignored, not refused.
    EXPECT_TRUE(HookEvent::decode(minimal(R"(,"iTermSessionId":"w0t0p0:ABC")")));
}

TEST(HookEventDecoding, RequiredFieldsMustBePresentAndTyped) {
    EXPECT_FALSE(HookEvent::decode(R"({"sessionId":"s","cwd":"/","timestamp":0})"));
    EXPECT_FALSE(HookEvent::decode(R"({"kind":"stop","cwd":"/","timestamp":0})"));
    EXPECT_FALSE(HookEvent::decode(R"({"kind":"stop","sessionId":"s","timestamp":0})"));
    EXPECT_FALSE(HookEvent::decode(R"({"kind":"stop","sessionId":"s","cwd":"/"})"));
    EXPECT_FALSE(HookEvent::decode(R"({"kind":null,"sessionId":"s","cwd":"/","timestamp":0})"));
    EXPECT_FALSE(HookEvent::decode(R"({"kind":"stop","sessionId":7,"cwd":"/","timestamp":0})"));
    EXPECT_FALSE(HookEvent::decode(R"({"kind":"stop","sessionId":"s","cwd":"/","timestamp":"0"})"));
    EXPECT_FALSE(HookEvent::decode(R"({"kind":"Stop","sessionId":"s","cwd":"/","timestamp":0})"));
    EXPECT_FALSE(HookEvent::decode("{}"));
}

TEST(HookEventDecoding, TopLevelMustBeAnObject) {
    for (const char* text : {"", "[]", "null", "\"stop\"", "42", "{", "{\"kind\":\"stop\"} x"}) {
        const auto decoded = HookEvent::decode(text);
        EXPECT_FALSE(decoded) << text;
        if (!decoded) {
            EXPECT_FALSE(decoded.error().empty());
        }
    }
}

TEST(HookEventDecoding, OptionalNullIsAbsentButWrongTypeFailsTheRecord) {
    const auto withNull = HookEvent::decode(minimal(R"(,"terminalPid":null,"tool":null)"));
    ASSERT_TRUE(withNull) << withNull.error();
    EXPECT_FALSE(withNull->terminalPid);
    EXPECT_FALSE(withNull->tool);

    EXPECT_FALSE(HookEvent::decode(minimal(R"(,"terminalPid":"812")")));
    EXPECT_FALSE(HookEvent::decode(minimal(R"(,"tool":["Bash"])")));
    EXPECT_FALSE(HookEvent::decode(minimal(R"(,"suggestions":"yes")")));
    EXPECT_FALSE(HookEvent::decode(minimal(R"(,"suggestions":["yes",3])")));
}

TEST(HookEventDecoding, ProcessIdsMustFitSigned32Bits) {
    EXPECT_FALSE(HookEvent::decode(minimal(R"(,"terminalPid":4294967296)")));
    EXPECT_FALSE(HookEvent::decode(minimal(R"(,"claudePid":2147483648)")));
    EXPECT_FALSE(HookEvent::decode(minimal(R"(,"claudePid":-2147483649)")));
    EXPECT_FALSE(HookEvent::decode(minimal(R"(,"claudePid":12.5)")));
    const auto edges =
        HookEvent::decode(minimal(R"(,"terminalPid":-2147483648,"claudePid":812.0)"));
    ASSERT_TRUE(edges) << edges.error();
    EXPECT_EQ(edges->terminalPid, -2147483648);
    EXPECT_EQ(edges->claudePid, 812);
}

TEST(HookEventDecoding, IgnoresUnknownKeysAndAcceptsEscapedSlashes) {
    const auto decoded = HookEvent::decode(minimal(R"(,"future":{"a":[1,2]},"message":"a\/b\nc")"));
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded->message, "a/b\nc");
}

TEST(HookEventDecoding, LoneSurrogateEscapeIsAnErrorNotACrash) {
    EXPECT_FALSE(HookEvent::decode(minimal(R"(,"message":"\ud800")")));
}
