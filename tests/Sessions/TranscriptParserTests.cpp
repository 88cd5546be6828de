// The rules that turn transcript lines into prompts, answers and turn state.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "Halvane/Sessions/TranscriptParser.h"

namespace {

using halvane::TranscriptInfo;
using halvane::TranscriptParser;

std::string user(const std::string& content) {
    return R"({"type":"user","message":{"role":"user","content":)" + content + "}}";
}

std::string assistant(const std::string& content, const std::string& stopReason = "null",
                      const std::string& model = R"("claude-opus-4-6")") {
    return R"({"type":"assistant","message":{"model":)" + model + R"(,"content":)" + content +
           R"(,"stop_reason":)" + stopReason + "}}";
}

std::string system(const std::string& subtype) {
    return R"({"type":"system","subtype":")" + subtype + R"(","level":"info"})";
}

TranscriptInfo parse(std::initializer_list<std::string> lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + "\n";
    }
    return TranscriptParser::parse(text);
}

TEST(TranscriptParser, TakesTheFirstStringCwdAndSkipsLinesThatAreNoObjects) {
    const auto info = parse({R"(["not","an","object"])", R"({"cwd":42,"type":"summary"})",
                             R"({"cwd":"/home/ada/first","type":"progress"})", "{broken",
                             R"({"cwd":"/home/ada/second","type":"user"})", "   "});
    EXPECT_EQ(info.cwd, "/home/ada/first");
    // None of them has a message: as if there were no usable line.
    EXPECT_TRUE(info.turnComplete);
    EXPECT_FALSE(info.firstUserPrompt);
}

TEST(TranscriptParser, UsesStringContentOrTheFirstBlockWithAStringText) {
    const auto info = parse({
        user(R"("First question")"),
        assistant(R"([{"type":"thinking","thinking":"hmm"},{"type":"text","text":42},)"
                  R"({"type":"text","text":"The answer"},{"type":"text","text":"More"}])"),
        user(R"([{"type":"tool_result","tool_use_id":"t1","text":"From a result block"}])"),
    });
    EXPECT_EQ(info.firstUserPrompt, "First question");
    EXPECT_EQ(info.lastAssistant, "The answer");
    EXPECT_EQ(info.lastUserPrompt, "From a result block");
}

TEST(TranscriptParser, ContentMixingObjectsWithOtherValuesGivesNothing) {
    const auto info = parse({
        assistant(R"([{"type":"tool_use","id":"t1"},{"type":"text","text":"Hidden"},"plain"])",
                  R"("end_turn")"),
    });
    EXPECT_FALSE(info.lastAssistant);
    // The tool use did not count either, so the turn is complete.
    EXPECT_TRUE(info.turnComplete);
}

TEST(TranscriptParser, TagPairsWhitespaceAndEmptyTextsAddNoPrompt) {
    const auto info = parse({
        user(R"("Real prompt")"),
        user(R"("<command-name>/clear</command-name>\n<command-args></command-args>")"),
        user(R"("\n \t\u3000")"),
        user(R"("<bash-stdout>ok</bash-stdout>\n\n")"),
        assistant(R"("  Line one\nline two <aside>dropped</aside> end.\n")"),
    });
    EXPECT_EQ(info.firstUserPrompt, "Real prompt");
    EXPECT_EQ(info.lastUserPrompt, "Real prompt");
    EXPECT_EQ(info.lastAssistant, "Line one line two  end.");
}

TEST(TranscriptParser, DecodesEscapesInEveryKeptText) {
    const auto info = parse({
        R"({"cwd":"\/home\/ada\/caf\u00e9","type":"user","message":{"content":"Tab\there \"quoted\" \ud83d\ude80"}})",
        assistant(R"("ok")", "null", R"("claude-\u006fpus")"),
    });
    EXPECT_EQ(info.cwd, "/home/ada/café");
    EXPECT_EQ(info.firstUserPrompt, "Tab\there \"quoted\" 🚀");
    EXPECT_EQ(info.lastModel, "claude-opus");
}

TEST(TranscriptParser, LastValueOfARepeatedKeyCounts) {
    const auto info = parse({
        R"({"type":"assistant","type":"user","message":{"content":"Asked"}})",
        R"({"type":"assistant","message":{"content":"Lost"},"message":{"content":"Kept"}})",
        R"({"type":"assistant","message":{"content":"x"},"message":"no object"})",
    });
    EXPECT_EQ(info.firstUserPrompt, "Asked");
    EXPECT_EQ(info.lastAssistant, "Kept");
}

TEST(TranscriptParser, TheModelStaysUntilAnotherIsNamed) {
    const auto info = parse({
        assistant(R"("a")", "null", R"("claude-opus-4-1")"),
        assistant(R"("b")", "null", R"("claude-sonnet-4")"),
        assistant(R"("c")", "null", "null"),
        user(R"("next")"),
    });
    EXPECT_EQ(info.lastModel, "claude-sonnet-4");
    EXPECT_EQ(info.lastAssistant, "c");
}

TEST(TranscriptParser, ATurnIsCompleteOnlyAfterAFinalStopReasonWithNoToolOpen) {
    EXPECT_TRUE(parse({}).turnComplete);
    for (const char* reason : {R"("end_turn")", R"("stop_sequence")", R"("max_tokens")"}) {
        EXPECT_TRUE(parse({user(R"("q")"), assistant(R"("a")", reason)}).turnComplete) << reason;
    }
    EXPECT_FALSE(parse({user(R"("q")"), assistant(R"("a")", R"("tool_use")")}).turnComplete);
    EXPECT_FALSE(parse({user(R"("q")"), assistant(R"("a")")}).turnComplete);
    // A later assistant line without a stop reason takes the earlier one back.
    EXPECT_FALSE(parse({assistant(R"("a")", R"("end_turn")"), assistant(R"("b")")}).turnComplete);
    // The last usable line is the user's.
    EXPECT_FALSE(parse({assistant(R"("a")", R"("end_turn")"), user(R"("q")")}).turnComplete);
    // Lines without a message do not change who spoke last.
    EXPECT_TRUE(parse({assistant(R"("a")", R"("end_turn")"), R"({"type":"summary","summary":"s"})"})
                    .turnComplete);
}

TEST(TranscriptParser, ToolUsesStayOpenUntilTheirResultArrives) {
    const std::string use = R"([{"type":"tool_use","id":"toolu_1","name":"Bash"}])";
    const std::string result =
        user(R"([{"type":"tool_result","tool_use_id":"toolu_1","content":"done"}])");
    EXPECT_FALSE(parse({assistant(use), assistant(R"("Done.")", R"("end_turn")")}).turnComplete);
    EXPECT_TRUE(
        parse({assistant(use), result, assistant(R"("Done.")", R"("end_turn")")}).turnComplete);
    // A result for an unknown id closes nothing else.
    EXPECT_FALSE(parse({assistant(use), user(R"([{"type":"tool_result","tool_use_id":"toolu_9"}])"),
                        assistant(R"("Done.")", R"("end_turn")")})
                     .turnComplete);
}

TEST(TranscriptParser, ASystemEndOfTurnLineCompletesTheTurnAfterAnAnswer) {
    for (const char* subtype : {"stop_hook_summary", "turn_duration"}) {
        EXPECT_TRUE(
            parse({user(R"("q")"), assistant(R"("a")"), R"({"type":"progress"})", system(subtype)})
                .turnComplete)
            << subtype;
    }
    EXPECT_FALSE(parse({user(R"("q")"), assistant(R"("a")"), system("away_summary")}).turnComplete);
    EXPECT_FALSE(
        parse({user(R"("q")"), assistant(R"("a")"), system("informational")}).turnComplete);
    // Not after a user line, not with a tool open, not once a new prompt follows.
    EXPECT_FALSE(
        parse({assistant(R"("a")"), user(R"("q")"), system("stop_hook_summary")}).turnComplete);
    EXPECT_FALSE(
        parse({assistant(R"([{"type":"tool_use","id":"t1"}])"), system("stop_hook_summary")})
            .turnComplete);
    EXPECT_FALSE(
        parse({assistant(R"("a")"), system("turn_duration"), user(R"("again")")}).turnComplete);
}

TEST(TranscriptParser, LinesClaudeCodeWritesForItselfNeitherPromptNorOpenATurn) {
    const std::string q = user(R"("Rename the helper")");
    const std::string done = assistant(R"("Renamed.")", R"("end_turn")");
    const std::string caveat =
        R"({"type":"user","isMeta":true,"message":{"content":"Caveat: local commands below"}})";
    const std::string summary =
        R"({"type":"user","isCompactSummary":true,"isVisibleInTranscriptOnly":true,)"
        R"("message":{"content":"This session is being continued from a previous one."}})";
    const std::string command =
        user(R"("<command-name>/model</command-name>\n<command-args></command-args>")");
    const std::string output = user(R"("<local-command-stdout>Set model</local-command-stdout>")");

    const auto compacted = parse({q, done, R"({"type":"system","subtype":"compact_boundary"})",
                                  summary, caveat, command, output});
    EXPECT_TRUE(compacted.turnComplete);
    EXPECT_EQ(compacted.lastUserPrompt, "Rename the helper");
    // Older versions put the command's message first and may print to stderr.
    EXPECT_TRUE(parse({q, done, caveat,
                       user(R"("<command-message>init</command-message><command-name>/init)"
                            R"(</command-name>")"),
                       user(R"("<local-command-stderr>failed</local-command-stderr>")")})
                    .turnComplete);
    // Until its output shows, a command may be one for the model (a custom
    // command, expanded in a meta line), and one is under way.
    EXPECT_FALSE(parse({q, done, command}).turnComplete);
    EXPECT_FALSE(parse({q, done, command,
                        R"({"type":"user","isMeta":true,"message":{"content":"Expanded"}})"})
                     .turnComplete);
    // A command run mid-turn leaves the turn running; output alone changes nothing.
    EXPECT_FALSE(parse({q, assistant(R"([{"type":"tool_use","id":"t1"}])", R"("tool_use")"),
                        command, output})
                     .turnComplete);
    EXPECT_FALSE(parse({q, output}).turnComplete);
    EXPECT_TRUE(parse({q, done, output}).turnComplete);
    // Stopped with Esc while the answer was still coming, a tool call and all.
    const auto stopped =
        parse({q, assistant(R"([{"type":"tool_use","id":"t1"}])"),
               user(R"([{"type":"text","text":"[Request interrupted by user]"}])")});
    EXPECT_TRUE(stopped.turnComplete);
    EXPECT_EQ(stopped.lastUserPrompt, "Rename the helper");
    // Only a true "isMeta" marks a line as Claude Code's.
    const auto typed = parse(
        {q, done, R"({"type":"user","isMeta":"true","message":{"content":"Typed after all"}})"});
    EXPECT_FALSE(typed.turnComplete);
    EXPECT_EQ(typed.lastUserPrompt, "Typed after all");
}

TEST(TranscriptParser, BookkeepingRecordsCountOnlyForTheirCwdAndTheirUtf8) {
    const std::string q = user(R"("Rename the helper")");
    const std::string done = assistant(R"("Renamed.")", R"("end_turn")");
    // A copy of a request, message and all, after the turn ended.
    const auto info = parse(
        {R"({"type":"mode","mode":"normal","cwd":"/home/ada/app"})", q, done,
         R"({"type":"api-request-blob","message":{"role":"user","content":"Not typed"}})",
         R"({"type":"api-request-blob","message":{"role":"assistant","content":[{"type":"tool_use","id":"t9"}]}})",
         R"({"type":"cost-state","costUSD":0.01})"});
    EXPECT_EQ(info.cwd, "/home/ada/app");
    EXPECT_TRUE(info.turnComplete);
    EXPECT_EQ(info.lastUserPrompt, "Rename the helper");
    // A conversation type spelled with an escape is still one.
    EXPECT_EQ(parse({R"({"type":"us\u0065r","message":{"content":"Escaped"}})"}).firstUserPrompt,
              "Escaped");
    EXPECT_EQ(parse({q, "{\"type\":\"last-prompt\",\"lastPrompt\":\"caf\xC3\"}"}),
              TranscriptInfo{});
}

TEST(TranscriptParser, AnyLineThatIsNotUtf8SpoilsTheWholeTranscript) {
    TranscriptParser parser;
    parser.consume(user(R"("Hello")"));
    parser.consume(assistant(R"("Hi")", R"("tool_use")"));
    EXPECT_EQ(parser.result().firstUserPrompt, "Hello");
    parser.consume("{\"type\":\"summary\",\"summary\":\"caf\xC3\"}");
    parser.consume(user(R"("After")"));
    EXPECT_EQ(parser.result(), TranscriptInfo{});
    EXPECT_TRUE(parser.result().turnComplete);
}

TEST(TranscriptParser, InMemoryLinesFollowLineFeedsAndIgnoreEmptyOnes) {
    const std::string text =
        "\n\n" + user(R"("one")") + "\n\n" + assistant(R"("two")") + "\n" + user(R"("three")");
    const auto info = TranscriptParser::parse(text);
    EXPECT_EQ(info.firstUserPrompt, "one");
    EXPECT_EQ(info.lastUserPrompt, "three");
    EXPECT_EQ(info.lastAssistant, "two");
}

}  // namespace
