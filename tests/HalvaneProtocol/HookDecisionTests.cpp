#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "HalvaneProtocol/HookDecision.h"

using halvane::HookDecision;
using Decision = HookDecision::Decision;

TEST(HookDecisionEncoding, MatchesTheWireExamples) {
    EXPECT_EQ(HookDecision{Decision::approve}.encode(), R"({"decision":"approve"})");
    EXPECT_EQ(HookDecision{Decision::passthrough}.encode(), R"({"decision":"passthrough"})");
    const auto denied = nlohmann::json::parse(HookDecision{Decision::deny, "User denied"}.encode());
    EXPECT_EQ(denied, nlohmann::json({{"decision", "deny"}, {"reason", "User denied"}}));
}

TEST(HookDecisionEncoding, RoundTripsWithReasonAndPicked) {
    const HookDecision decision{Decision::deny, "line one\nline two", "Option B"};
    const std::string text = decision.encode();
    EXPECT_EQ(text.find('\n'), std::string::npos);
    const auto decoded = HookDecision::decode(text);
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(*decoded, decision);
}

TEST(HookDecisionDecoding, RejectsUnknownOrMistypedVerdicts) {
    EXPECT_FALSE(HookDecision::decode(R"({"decision":"Approve"})"));
    EXPECT_FALSE(HookDecision::decode(R"({"decision":"block"})"));
    EXPECT_FALSE(HookDecision::decode(R"({"decision":1})"));
    EXPECT_FALSE(HookDecision::decode(R"({"reason":"x"})"));
    EXPECT_FALSE(HookDecision::decode(R"({"decision":"deny","reason":5})"));
    EXPECT_FALSE(HookDecision::decode("garbage"));
    const auto withNull = HookDecision::decode(R"({"decision":"deny","reason":null,"x":1})");
    ASSERT_TRUE(withNull);
    EXPECT_FALSE(withNull->reason);
}

TEST(HookDecisionDecoding, RawValueConversions) {
    EXPECT_EQ(halvane::hookDecisionFromWire("approve"), Decision::approve);
    EXPECT_EQ(halvane::hookDecisionFromWire("deny"), Decision::deny);
    EXPECT_EQ(halvane::hookDecisionFromWire("passthrough"), Decision::passthrough);
    EXPECT_EQ(halvane::hookDecisionFromWire("PASSTHROUGH"), std::nullopt);
    EXPECT_EQ(halvane::wireName(Decision::deny), "deny");
}
