// The line reader accepts and refuses exactly what a full JSON parser does,
// and finds the same values in what it accepts.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "Halvane/Sessions/TranscriptLineReader.h"

namespace {

using halvane::TranscriptLine;
using halvane::TranscriptLineReader;
using nlohmann::json;

struct Extracted {
    std::optional<std::string> cwd, type, subtype;
    bool hasMessage = false;
    std::optional<std::string> text;
    std::vector<std::pair<bool, std::string>> toolUseChanges;
    std::optional<std::string> stopReason, model;

    bool operator==(const Extracted&) const = default;
};

std::optional<std::string> stringAt(const json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) {
        return std::nullopt;
    }
    return found->get<std::string>();
}

// The same reading, done on a parsed document.
Extracted fromDocument(const json& line) {
    Extracted out;
    out.cwd = stringAt(line, "cwd");
    out.type = stringAt(line, "type");
    out.subtype = stringAt(line, "subtype");
    const auto message = line.find("message");
    out.hasMessage = message != line.end() && message->is_object();
    if (!out.hasMessage) {
        return out;
    }
    out.stopReason = stringAt(*message, "stop_reason");
    out.model = stringAt(*message, "model");
    const auto content = message->find("content");
    if (content == message->end()) {
        return out;
    }
    if (content->is_string()) {
        out.text = content->get<std::string>();
    } else if (content->is_array()) {
        for (const json& block : *content) {
            if (!block.is_object()) {
                out.text.reset();
                out.toolUseChanges.clear();
                break;
            }
            const auto type = stringAt(block, "type");
            if (type == "tool_use" && stringAt(block, "id")) {
                out.toolUseChanges.emplace_back(true, *stringAt(block, "id"));
            } else if (type == "tool_result" && stringAt(block, "tool_use_id")) {
                out.toolUseChanges.emplace_back(false, *stringAt(block, "tool_use_id"));
            }
            if (!out.text) {
                out.text = stringAt(block, "text");
            }
        }
    }
    return out;
}

Extracted fromLine(const TranscriptLine& line) {
    const auto decode = [](const std::optional<halvane::JsonText>& text) {
        return text ? std::optional(text->decoded()) : std::nullopt;
    };
    Extracted out{decode(line.cwd),        decode(line.type), decode(line.subtype),
                  line.hasMessage,         decode(line.text), {},
                  decode(line.stopReason), decode(line.model)};
    for (const auto& change : line.toolUseChanges) {
        out.toolUseChanges.emplace_back(change.opens, change.id.decoded());
    }
    return out;
}

// Compares the reader with nlohmann on one text; true when both accepted it.
bool expectSameAsFullParser(const std::string& text) {
    const json document = json::parse(text, nullptr, false);
    const bool accepted = !document.is_discarded() && document.is_object();
    TranscriptLineReader reader;
    TranscriptLine line;
    EXPECT_EQ(reader.read(text, line), accepted) << text;
    if (accepted) {
        EXPECT_EQ(fromLine(line), fromDocument(document)) << text;
    }
    return accepted;
}

// Random transcript-like lines: the keys the reader looks for at their
// places and elsewhere, repeated keys, every kind of escape and number, and
// now and then something a JSON parser must refuse.
class LineGenerator final {
public:
    explicit LineGenerator(unsigned seed) : m_random(seed) {}

    std::string line() {
        std::string text = space() + "{";
        const int members = pick(6);
        for (int i = 0; i < members; ++i) {
            const std::string name = key(topKeys);
            text += (i ? "," : "") + space() + name + space() + ":" + space();
            text += name == "\"message\"" && !chance(5) ? message() : valueFor(name, 2);
        }
        return text + space() + "}" + space();
    }

    // Damages a text the way truncated or garbled writes do.
    std::string mutate(std::string text) {
        const std::string debris = "{}[],:\"\\ 0eE.-ux\xC3\xFF\x80";
        for (int edits = 1 + pick(2); edits > 0 && !text.empty(); --edits) {
            const std::size_t at = m_random() % text.size();
            switch (pick(4)) {
                case 0:
                    text.erase(at, 1);
                    break;
                case 1:
                    text.insert(at, 1, debris[m_random() % debris.size()]);
                    break;
                case 2:
                    text.resize(at);
                    break;
                default:
                    std::swap(text[at], text[m_random() % text.size()]);
                    break;
            }
        }
        return text;
    }

private:
    static constexpr const char* topKeys[] = {"cwd",  "type",       "subtype",      "message",
                                              "uuid", "ty\\u0070e", "toolUseResult"};
    static constexpr const char* messageKeys[] = {"content", "stop_reason", "model", "usage",
                                                  "role"};
    static constexpr const char* blockKeys[] = {"type", "id",    "tool_use_id",
                                                "text", "input", "content"};

    int pick(int count) { return static_cast<int>(m_random() % static_cast<unsigned>(count)); }
    bool chance(int oneIn) { return pick(oneIn) == 0; }
    std::string space() { return chance(6) ? std::string(" \t\r\n").substr(pick(4), 1) : ""; }

    template <std::size_t N>
    std::string key(const char* const (&keys)[N]) {
        return chance(6) ? string() : "\"" + std::string(keys[pick(N)]) + "\"";
    }

    std::string string() {
        static const char* const pieces[] = {
            "user", "assistant", "system", "tool_use", "tool_result", "stop_hook_summary",
            "end_turn", "/home/ada", " ", "\\n", "\\\"", "\\\\", "\\/", "\\t", "\\b\\f\\r",
            "\\u00e9", "\\u0000", "\\ud83d\\ude80", "\\uD83D\\uDE80", "é", "🚀", "<b>x</b>",
            // Refused by any JSON parser:
            "\\ud800", "\\udc00", "\\ud800\\u0041", "\\x", "\\u12", "\t", "\x01",
            // Not UTF-8: overlong, an encoded surrogate, above U+10FFFF, cut short.
            "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82"};
        std::string text = "\"";
        // Long strings too, so escapes fall on every position of a block.
        const int count = chance(3) ? pick(40) : pick(4);
        for (int i = 0; i < count; ++i) {
            const int index = pick(std::size(pieces));
            // Keep the refused pieces rare so that most lines are accepted.
            text += index >= 22 && !chance(8) ? "ok" : pieces[index];
        }
        return text + "\"";
    }

    std::string number() {
        static const char* const numbers[] = {
            "0", "-1", "3.25", "1e5", "-0.0E-3", "1E+2", "123456789012345678901234567890", "1e308",
            "-1e308", "1e-400", "0e99999999999999999999", "1.7976931348623157e308",
            // Refused: overflow, or not a number at all.
            "1e400", "-1e309", "1.7976931348623159e308", "01", "1.", ".5", "-", "1e", "+1"};
        const int index = pick(std::size(numbers));
        return index >= 12 && !chance(6) ? "7" : numbers[index];
    }

    // Mostly the kind of value the reader looks for under a key it knows.
    std::string valueFor(const std::string& name, int depth) {
        static const char* const types[] = {"user",     "assistant",   "system",
                                            "tool_use", "tool_result", "text"};
        if (chance(5)) {
            return value(depth);
        }
        if (name == "\"type\"" || name == "\"ty\\u0070e\"") {
            return "\"" + std::string(types[pick(std::size(types))]) + "\"";
        }
        for (const char* known :
             {"cwd", "subtype", "id", "tool_use_id", "text", "stop_reason", "model", "content"}) {
            if (name == "\"" + std::string(known) + "\"") {
                return string();
            }
        }
        return value(depth);
    }

    std::string value(int depth) {
        switch (depth > 0 ? pick(7) : pick(4)) {
            case 0:
                return string();
            case 1:
                return number();
            case 2:
                return std::string(chance(2) ? "true" : chance(2) ? "false" : "null");
            case 3:
                return chance(20) ? "nul" : "null";
            case 4: {
                std::string text = "[" + space();
                for (int i = 0, n = pick(4); i < n; ++i) {
                    text += (i ? "," : "") + value(depth - 1);
                }
                return text + "]";
            }
            default: {
                std::string text = "{";
                for (int i = 0, n = pick(4); i < n; ++i) {
                    text += (i ? "," : "") + key(blockKeys) + ":" + space() + value(depth - 1);
                }
                return text + space() + "}";
            }
        }
    }

    std::string block() {
        std::string text = "{";
        for (int i = 0, n = 1 + pick(4); i < n; ++i) {
            const std::string name = key(blockKeys);
            text += (i ? "," : "") + name + ":" + space() + valueFor(name, 1);
        }
        return text + "}";
    }

    std::string message() {
        std::string text = "{";
        for (int i = 0, n = pick(5); i < n; ++i) {
            const std::string name = key(messageKeys);
            text += (i ? "," : "") + name + ":" + space();
            if (name == "\"content\"" && !chance(4)) {
                std::string blocks = "[";
                for (int b = 0, count = pick(5); b < count; ++b) {
                    blocks += (b ? "," : "") + space() + (chance(8) ? value(1) : block());
                }
                text += blocks + "]";
            } else {
                text += valueFor(name, 1);
            }
        }
        return text + "}";
    }

    std::mt19937 m_random;
};

TEST(TranscriptLineReader, AgreesWithAFullParserOnManyGeneratedLines) {
    LineGenerator generator(4242);
    int accepted = 0, refused = 0, compared = 0;
    for (int round = 0; round < 12000; ++round) {
        std::string text = generator.line();
        if (round % 3 == 0) {
            text = generator.mutate(text);
        }
        ++compared;
        (expectSameAsFullParser(text) ? accepted : refused) += 1;
        if (::testing::Test::HasFailure()) {
            break;
        }
    }
    // Both sides of the comparison were exercised in earnest.
    EXPECT_GT(accepted, compared / 5);
    EXPECT_GT(refused, compared / 5);
}

TEST(TranscriptLineReader, AgreesWithAFullParserOnTheHardCases) {
    const std::string digits308(308, '0');
    const char* const cases[] = {
        R"({})",
        R"( {"a":1} )",
        "{\"a\":1}\r",
        R"([])",
        R"("text")",
        R"(42)",
        R"({"a":1} x)",
        R"({"a":1}{})",
        R"({"a":01})",
        R"({"a":.5})",
        R"({"a":tru})",
        R"({"a":[1,]})",
        R"({,})",
        R"({"a":1,})",
        R"({"a" 1})",
        R"({'a':1})",
        R"({"a":"\ud800"})",
        R"({"a":"\udc00"})",
        R"({"a":"\ud800\u0041"})",
        R"({"a":"\ud83d\ude80"})",
        R"({"a":"\u00"})",
        "{\"a\":\"\x1f\"}",
        R"({"a":"\q"})",
        R"({"a":1e400})",
        R"({"a":-1e400})",
        R"({"a":1e-400})",
        R"({"a":1E308})",
        R"({"a":0e999999999999999})",
        R"({"a":-0})",
        R"({"a":1.7976931348623157e308})",
        R"({"a":1.7976931348623159e308})",
        R"({"type":"user","message":{"content":"\u0000"}})",
        R"({"type":"user","message":{"content":[]}})",
        R"({"type":"user","message":{"content":[{}]}})",
        R"({"message":{"content":[{"type":"tool_use","id":1},{"type":"tool_use","id":"a"}]}})",
        R"({"message":{"content":[{"type":"tool_use","id":"a","id":null}]}})",
        R"({"message":{"content":"a","content":[{"text":"b"}]}})",
        R"({"message":{"content":[{"text":"a"}],"content":7}})",
        R"({"t\u0079pe":"assistant","type":"user"})",
        R"({"type":"user","t\u0079pe":"assistant"})",
    };
    for (const char* text : cases) {
        expectSameAsFullParser(text);
    }
    // Not UTF-8, inside and outside strings.
    for (const char* text :
         {"{\"a\":\"caf\xC3\"}", "{\"a\":\"\xED\xA0\x80\"}", "{\"a\":\"\xF0\x9F\x9A\x80\"}",
          "{\"a\":1}\xC3\xA9", "{\"\xC3\xA9\":\"\xC3\xA9\"}", "{\"a\":\xC3\xA9}"}) {
        expectSameAsFullParser(text);
    }
    // Integers long enough to overflow a double, or just not.
    expectSameAsFullParser("{\"a\":1" + digits308 + "}");
    expectSameAsFullParser("{\"a\":2" + digits308 + "}");
    expectSameAsFullParser("{\"a\":1" + digits308 + "0}");
    expectSameAsFullParser("{\"a\":0." + digits308 + "1e310}");
}

TEST(TranscriptLineReader, SkipsDeepNestingWithoutRecursion) {
    const int depth = 200000;
    const std::string nested = std::string(depth, '[') + std::string(depth, ']');
    TranscriptLineReader reader;
    TranscriptLine line;
    // The line's views point into the text: keep it alive.
    const std::string text = R"({"toolUseResult":)" + nested + R"(,"type":"user"})";
    EXPECT_TRUE(reader.read(text, line));
    EXPECT_TRUE(line.type && line.type->equals("user"));
    EXPECT_FALSE(reader.read(R"({"toolUseResult":)" + nested.substr(1) + "}", line));
}

}  // namespace
