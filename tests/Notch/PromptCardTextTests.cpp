#include <gtest/gtest.h>

#include <chrono>

#include "Halvane/Notch/Cards/PromptCardText.h"
#include "HalvaneProtocol/Injection.h"
#include "QtPrinters.h"

using namespace halvane;
using namespace std::chrono_literals;

namespace {

const PromptCardText::PathContext paths{QStringLiteral("/home/ada/src/engine"),
                                        QStringLiteral("/home/ada")};

// A call asked about before it runs, when every call is shown.
HookEvent request(const std::string& tool, const std::string& toolInput) {
    HookEvent event;
    event.kind = HookEvent::Kind::preToolUse;
    event.sessionId = "s1";
    event.cwd = "/home/ada/src/engine";
    event.tool = tool;
    event.toolInput = toolInput;
    return event;
}

// Claude Code about to show its own dialog, with what it would remember.
HookEvent claudeRequest(const std::string& tool, std::optional<std::string> suggestions) {
    HookEvent event = request(tool, "{}");
    event.kind = HookEvent::Kind::permissionRequest;
    event.permissionSuggestions = std::move(suggestions);
    return event;
}

HookEvent notification(std::optional<std::string> message) {
    HookEvent event;
    event.kind = HookEvent::Kind::notification;
    event.sessionId = "s1";
    event.message = std::move(message);
    return event;
}

nlohmann::json input(const char* text) {
    return PromptCardText::parseJSON(std::string(text));
}

std::vector<std::string> labels(const std::vector<PromptAction>& actions) {
    std::vector<std::string> result;
    for (const PromptAction& action : actions) {
        result.push_back(action.label.toStdString());
    }
    return result;
}

}  // namespace

TEST(PromptParsing, OnlyAnObjectCountsAsToolInput) {
    EXPECT_EQ(input(R"({"command":"ls"})")["command"], "ls");
    EXPECT_TRUE(input("[1,2]").empty());
    EXPECT_TRUE(input("\"text\"").empty());
    EXPECT_TRUE(input("{broken").empty());
    EXPECT_TRUE(PromptCardText::parseJSON(std::nullopt).is_object());
    EXPECT_TRUE(PromptCardText::parseJSON(std::nullopt).empty());
}

TEST(PromptParsing, FilePathMustBeAString) {
    EXPECT_EQ(PromptCardText::filePath(input(R"({"file_path":"/a/b.txt"})")), "/a/b.txt");
    EXPECT_FALSE(PromptCardText::filePath(input(R"({"file_path":7})")).has_value());
    EXPECT_FALSE(PromptCardText::filePath(input("{}")).has_value());
}

TEST(PromptShortPath, ShortensInsideTheProjectAndHome) {
    using PromptCardText::shortPath;
    EXPECT_EQ(shortPath("/home/ada/src/engine/src/main.cpp", paths), "src/main.cpp");
    EXPECT_EQ(shortPath("/home/ada/src/engine", paths), ".");
    EXPECT_EQ(shortPath("/home/ada/src/engine/", paths), ".");
    EXPECT_EQ(shortPath("/home/ada/notes.md", paths), "~/notes.md");
    EXPECT_EQ(shortPath("/home/ada", paths), "~");
    EXPECT_EQ(shortPath("/etc/hosts", paths), "/etc/hosts");
    // A sibling folder that merely starts with the same letters is not inside.
    EXPECT_EQ(shortPath("/home/ada/src/engine2/x.cpp", paths), "~/src/engine2/x.cpp");
    EXPECT_EQ(shortPath("/home/adam/x", paths), "/home/adam/x");
    // Without a folder to shorten against, paths stay as they are.
    EXPECT_EQ(shortPath("/a/b", PromptCardText::PathContext{}), "/a/b");
}

TEST(PromptLines, FirstLineSkipsEmptyLines) {
    EXPECT_EQ(PromptCardText::firstLine("\n\nClaude needs your permission\nmore"),
              "Claude needs your permission");
    EXPECT_EQ(PromptCardText::firstLine("one line"), "one line");
    EXPECT_EQ(PromptCardText::firstLine("\n\n"), "\n\n");
    EXPECT_EQ(PromptCardText::firstLine(""), "");
}

TEST(PromptLines, LineListKeepsEmptyLines) {
    EXPECT_TRUE(PromptCardText::lineList("").isEmpty());
    EXPECT_EQ(PromptCardText::lineList("a"), QStringList{"a"});
    EXPECT_EQ(PromptCardText::lineList("a\n\nb"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(PromptCardText::lineList("a\n"), (QStringList{"a", ""}));
}

TEST(PromptDiffContent, NeedsNonEmptyTextToCompare) {
    using PromptCardText::hasDiffContent;
    EXPECT_TRUE(hasDiffContent("Edit", input(R"({"old_string":"a","new_string":""})")));
    EXPECT_TRUE(hasDiffContent("Edit", input(R"({"old_string":"","new_string":"b"})")));
    EXPECT_FALSE(hasDiffContent("Edit", input(R"({"old_string":"","new_string":""})")));
    EXPECT_FALSE(hasDiffContent("Edit", input(R"({"old_string":5})")));
    EXPECT_TRUE(hasDiffContent("Write", input(R"({"file_path":"/x","content":"hi"})")));
    EXPECT_FALSE(hasDiffContent("Read", input(R"({"content":"hi"})")));
    EXPECT_TRUE(hasDiffContent(
        "MultiEdit", input(R"({"file_path":"/x","edits":[{"old_string":"a","new_string":"b"}]})")));
    EXPECT_FALSE(hasDiffContent("MultiEdit", input(R"({"file_path":"/x","edits":[]})")));
}

TEST(PromptQuestion, OffersTheFirstQuestionsLabels) {
    const auto options = PromptCardText::askQuestionOptions(input(R"({"questions":[
        {"question":"Which database?","header":"Storage","multiSelect":false,
         "options":[{"label":"PostgreSQL","description":"Relational"},
                    {"label":"SQLite","description":"A file"}]},
        {"question":"Which cache?","header":"Cache","multiSelect":false,
         "options":[{"label":"Redis","description":"In memory"}]}]})"));
    ASSERT_TRUE(options.has_value());
    EXPECT_EQ(*options, (QStringList{"PostgreSQL", "SQLite"}));
}

TEST(PromptQuestion, ShowsTheFirstQuestionsText) {
    using PromptCardText::askQuestionText;
    EXPECT_EQ(askQuestionText(input(R"({"questions":[{"question":"Which database?","options":[]},
                                                    {"question":"Which cache?"}]})")),
              "Which database?");
    EXPECT_FALSE(askQuestionText(input(R"({"questions":[{"question":""}]})")).has_value());
    EXPECT_FALSE(askQuestionText(input(R"({"questions":[{"question":4}]})")).has_value());
    EXPECT_FALSE(askQuestionText(input(R"({"questions":[]})")).has_value());
}

TEST(PromptQuestion, GivesNothingForAnyOtherShape) {
    using PromptCardText::askQuestionOptions;
    EXPECT_FALSE(askQuestionOptions(input("{}")).has_value());
    EXPECT_FALSE(askQuestionOptions(input(R"({"questions":[]})")).has_value());
    EXPECT_FALSE(askQuestionOptions(input(R"({"questions":"which?"})")).has_value());
    EXPECT_FALSE(
        askQuestionOptions(input(R"({"questions":[{"options":[{"label":"a"}]},3]})")).has_value());
    EXPECT_FALSE(
        askQuestionOptions(input(R"({"questions":[{"options":{"label":"a"}}]})")).has_value());
    EXPECT_FALSE(
        askQuestionOptions(input(R"({"questions":[{"options":[{"label":1}]}]})")).has_value());
    // Labels that are not strings are skipped; the rest still count.
    EXPECT_EQ(
        askQuestionOptions(input(R"({"questions":[{"options":[{"label":1},{"label":"b"}]}]})")),
        QStringList{"b"});
}

TEST(PromptDescriptor, DescribesEachToolBriefly) {
    using PromptCardText::actionDescriptor;
    EXPECT_EQ(
        actionDescriptor("Edit", input(R"({"file_path":"/home/ada/src/engine/a.cpp"})"), paths),
        "a.cpp");
    EXPECT_EQ(actionDescriptor("Write", input("{}"), paths), "write");
    EXPECT_EQ(actionDescriptor("MultiEdit", input(R"({"file_path":"/home/ada/x.txt"})"), paths),
              "~/x.txt");
    EXPECT_EQ(actionDescriptor("Read", input(R"({"file_path":"/etc/hosts"})"), paths),
              "read /etc/hosts");
    EXPECT_EQ(actionDescriptor("Read", input("{}"), paths), "read");
    EXPECT_EQ(actionDescriptor("WebFetch", input(R"({"url":"https://example.com"})"), paths),
              "webfetch");
    EXPECT_EQ(actionDescriptor("Bash", input("{}"), paths), "shell");
    EXPECT_EQ(actionDescriptor("Bash", input(R"({"command":"git status\ngit diff"})"), paths),
              "git status git diff");
    EXPECT_EQ(actionDescriptor("AskUserQuestion",
                               input(R"({"questions":[{"question":"Where?","header":"Storage"}]})"),
                               paths),
              "Storage");
    EXPECT_EQ(actionDescriptor("AskUserQuestion", input(R"({"questions":[{"header":""}]})"), paths),
              "Question");
    EXPECT_EQ(actionDescriptor("AskUserQuestion", input("[]"), paths), "Question");
}

TEST(PromptDescriptor, CutsLongCommandsAtFortyCharacters) {
    using PromptCardText::actionDescriptor;
    const std::string command = "echo " + std::string(40, 'a');
    ASSERT_EQ(command.size(), 45u);
    EXPECT_EQ(actionDescriptor("Bash", input(("{\"command\":\"" + command + "\"}").c_str()), paths),
              QString::fromStdString(command.substr(0, 40)) + "…");
    const std::string forty(40, 'x');
    EXPECT_EQ(actionDescriptor("Bash", input(("{\"command\":\"" + forty + "\"}").c_str()), paths),
              QString::fromStdString(forty));
    // Characters, not bytes: forty accented letters fit, a forty-first is cut.
    std::string accents;
    for (int i = 0; i < 40; ++i) {
        accents += "é";
    }
    EXPECT_EQ(actionDescriptor("Bash", input(("{\"command\":\"" + accents + "\"}").c_str()), paths),
              QString::fromStdString(accents));
    EXPECT_EQ(
        actionDescriptor("Bash", input(("{\"command\":\"" + accents + "é\"}").c_str()), paths),
        QString::fromStdString(accents) + "…");
}

TEST(PromptHeader, TitlesFollowTheEventKind) {
    EXPECT_EQ(PromptCardText::headerTitle(request("Bash", "{}")), "Permission requested");
    EXPECT_EQ(PromptCardText::headerTitle(notification(std::nullopt)), "Notification");
    EXPECT_EQ(PromptCardText::headerTitle(notification("\nClaude is waiting for your input\nx")),
              "Claude is waiting for your input");
    HookEvent stop;
    stop.kind = HookEvent::Kind::stop;
    EXPECT_EQ(PromptCardText::headerTitle(stop), "Done");
}

TEST(PromptHeader, SubtitleNamesModelAndActionOrHowManyWait) {
    const HookEvent bash = request("Bash", R"({"command":"git status","description":"Status"})");
    EXPECT_EQ(PromptCardText::headerSubtitle(bash, std::nullopt, 1, paths), "Claude · git status");
    EXPECT_EQ(PromptCardText::headerSubtitle(bash, "claude-sonnet-4-5", 1, paths),
              "Claude · claude-sonnet-4-5 · git status");
    EXPECT_EQ(PromptCardText::headerSubtitle(bash, "claude-sonnet-4-5", 3, paths),
              "Claude · claude-sonnet-4-5 · 3 actions pending");
    EXPECT_EQ(PromptCardText::headerSubtitle(request("Bash", "not json"), std::nullopt, 1, paths),
              "Claude · shell");
    EXPECT_EQ(PromptCardText::headerSubtitle(request("Grep", "not json"), std::nullopt, 1, paths),
              "Claude · grep");
    // Only permission requests describe their tool.
    HookEvent note = notification("Claude needs your permission to use Bash");
    note.tool = "Bash";
    EXPECT_EQ(PromptCardText::headerSubtitle(note, std::nullopt, 1, paths), "Claude");
}

TEST(PromptHeader, TimeAgoCountsSecondsToo) {
    const Timestamp now = Timestamp() + 1000000s;
    const auto ago = [now](std::chrono::milliseconds elapsed) {
        return PromptCardText::timeAgo(now - elapsed, now).toStdString();
    };
    EXPECT_EQ(ago(0s), "now");
    EXPECT_EQ(ago(999ms), "now");
    EXPECT_EQ(ago(1s), "1s");
    EXPECT_EQ(ago(59s), "59s");
    EXPECT_EQ(ago(60s), "1m");
    EXPECT_EQ(ago(3599s), "59m");
    EXPECT_EQ(ago(3600s), "1h");
    EXPECT_EQ(ago(86399s), "23h");
    EXPECT_EQ(ago(86400s), "1d");
}

TEST(PromptBody, ShowsOnlyWhenThereIsSomethingToShow) {
    using PromptCardText::hasBody;
    EXPECT_TRUE(hasBody(request("Bash", "not json")));
    EXPECT_TRUE(hasBody(request("AskUserQuestion", "{}")));
    EXPECT_TRUE(hasBody(request("Edit", R"({"old_string":"a","new_string":"b"})")));
    EXPECT_FALSE(hasBody(request("Edit", R"({"old_string":"","new_string":""})")));
    EXPECT_FALSE(hasBody(request("Read", R"({"file_path":"/etc/hosts"})")));
    EXPECT_TRUE(hasBody(notification("hello")));
    EXPECT_FALSE(hasBody(notification(std::nullopt)));
    HookEvent suggested = notification(std::nullopt);
    suggested.suggestions = std::vector<std::string>{"yes"};
    EXPECT_TRUE(hasBody(suggested));
    suggested.suggestions = std::vector<std::string>{};
    EXPECT_FALSE(hasBody(suggested));
}

TEST(PromptActions, ButtonRowsDependOnWhatIsAsked) {
    using PromptCardText::actionButtons;
    using Strings = std::vector<std::string>;
    EXPECT_EQ(labels(actionButtons(request("Bash", "{}"))), (Strings{"Approve", "Deny", "Always"}));
    EXPECT_EQ(labels(actionButtons(request("AskUserQuestion", "{}"))), Strings{"Deny"});
    EXPECT_EQ(labels(actionButtons(notification("x"))), (Strings{"Jump", "Dismiss"}));
    HookEvent stop;
    stop.kind = HookEvent::Kind::stop;
    EXPECT_EQ(labels(actionButtons(stop)), (Strings{"Approve", "Deny", "Always"}));
    // Claude Code's own request offers to remember only what it suggests.
    EXPECT_EQ(labels(actionButtons(claudeRequest("Bash", std::nullopt))),
              (Strings{"Approve", "Deny"}));
    EXPECT_EQ(labels(actionButtons(claudeRequest("Bash", "[]"))), (Strings{"Approve", "Deny"}));
    EXPECT_EQ(
        labels(actionButtons(claudeRequest(
            "Write", R"([{"type":"setMode","mode":"acceptEdits","destination":"session"}])"))),
        (Strings{"Approve", "Deny", "Allow all edits"}));
    // A notification that names a question tool is still a notification.
    HookEvent note = notification("x");
    note.tool = "AskUserQuestion";
    EXPECT_EQ(labels(actionButtons(note)), (Strings{"Jump", "Dismiss"}));
}

TEST(PromptActions, EachButtonHasItsStyleAndKey) {
    const auto permission = PromptCardText::actionButtons(request("Bash", "{}"));
    ASSERT_EQ(permission.size(), 3u);
    EXPECT_EQ(permission[0].kind, PromptAction::Kind::approve);
    EXPECT_EQ(permission[0].style, NotchActionStyle::primary);
    EXPECT_EQ(permission[0].shortcut, KeyShortcut(QLatin1Char('a')));
    EXPECT_EQ(permission[1].kind, PromptAction::Kind::deny);
    EXPECT_EQ(permission[1].style, NotchActionStyle::secondary);
    EXPECT_EQ(permission[1].shortcut, KeyShortcut(QLatin1Char('d')));
    EXPECT_EQ(permission[2].kind, PromptAction::Kind::always);
    EXPECT_EQ(permission[2].shortcut,
              KeyShortcut(QLatin1Char('a'), {KeyShortcut::Modifier::option}));

    const auto note = PromptCardText::actionButtons(notification("x"));
    ASSERT_EQ(note.size(), 2u);
    EXPECT_EQ(note[0].kind, PromptAction::Kind::jump);
    EXPECT_EQ(note[0].shortcut, KeyShortcut(QLatin1Char('j')));
    EXPECT_EQ(note[1].kind, PromptAction::Kind::dismiss);
    EXPECT_EQ(note[1].shortcut, KeyShortcut(QLatin1Char('d')));
    for (const PromptAction& action : note) {
        EXPECT_EQ(action.style, NotchActionStyle::secondary);
    }
}

TEST(PromptActions, AlwaysNamesTheRuleItWillStore) {
    EXPECT_EQ(PromptCardText::alwaysTooltip(request("Bash", R"({"command":"git push origin"})")),
              "Always allow Bash(git:*)");
    EXPECT_EQ(PromptCardText::alwaysTooltip(request("Bash", R"({"command":"sudo make install"})")),
              "Always allow exactly this command: Bash(sudo make install)");
    EXPECT_EQ(PromptCardText::alwaysTooltip(request("Edit", R"({"file_path":"/a"})")),
              "Always allow Edit");
    HookEvent stop;
    stop.kind = HookEvent::Kind::stop;
    EXPECT_EQ(PromptCardText::alwaysTooltip(stop),
              "This request has no rule to remember: Always only approves it");
}

TEST(PromptActions, AlwaysOnClaudeCodesRequestSaysWhatItsSuggestionDoes) {
    const auto tooltip = [](const std::string& suggestions) {
        return PromptCardText::alwaysTooltip(claudeRequest("Bash", suggestions)).toStdString();
    };
    EXPECT_EQ(
        tooltip(R"([{"type":"addRules","rules":[{"toolName":"Bash","ruleContent":"npm run *"}],)"
                R"("behavior":"allow","destination":"localSettings"}])"),
        "Yes, and don't ask again for `npm run *` commands in this project");
    EXPECT_EQ(tooltip(R"([{"type":"setMode","mode":"acceptEdits","destination":"session"}])"),
              "Yes, and allow all edits during this session");
    EXPECT_EQ(
        tooltip(R"([{"type":"addRules","rules":[{"toolName":"Read","ruleContent":"//tmp/x/**"}],)"
                R"("behavior":"allow","destination":"session"},)"
                R"({"type":"addDirectories","directories":["/tmp/x"],"destination":"session"}])"),
        "Yes, and allow reading from `//tmp/x/**` during this session; "
        "allow access to `/tmp/x` during this session");
    EXPECT_EQ(tooltip(R"([{"type":"addRules","rules":[{"toolName":"WebFetch"}],)"
                      R"("behavior":"allow","destination":"userSettings"}])"),
              "Yes, and don't ask again for WebFetch in every project");
}

TEST(PromptReplies, EndInAnEscapedCarriageReturn) {
    EXPECT_EQ(PromptCardText::optionReply(0), "1\\r");
    EXPECT_EQ(PromptCardText::optionReply(2), "3\\r");
    EXPECT_EQ(PromptCardText::suggestionReply("yes, and add tests"), "yes, and add tests\\r");
    EXPECT_EQ(decodeEscapes(PromptCardText::suggestionReply("use C:\\new\\tmp")),
              "use C:\\new\\tmp\r");
}

TEST(KeyShortcutLabel, NamesTheModifierKeysAsLinuxDoesThenTheKey) {
    using Modifier = KeyShortcut::Modifier;
    EXPECT_EQ(KeyShortcut(QLatin1Char('a')).displayLabel(), "A");
    EXPECT_EQ(KeyShortcut(QLatin1Char('a'), {Modifier::option}).displayLabel(), "Alt+A");
    EXPECT_EQ(KeyShortcut(QLatin1Char('j'),
                          {Modifier::command, Modifier::shift, Modifier::option, Modifier::control})
                  .displayLabel(),
              "Ctrl+Alt+Shift+Super+J");
    EXPECT_EQ(KeyShortcut(QLatin1Char('d'), {Modifier::shift, Modifier::control}).displayLabel(),
              "Ctrl+Shift+D");
}

TEST(KeyShortcutLabel, MapsOptionToTheAltKey) {
    using Modifier = KeyShortcut::Modifier;
    EXPECT_EQ(KeyShortcut(QLatin1Char('a')).keySequence(), QKeySequence(Qt::Key_A));
    EXPECT_EQ(KeyShortcut(QLatin1Char('a'), {Modifier::option}).keySequence(),
              QKeySequence(Qt::AltModifier | Qt::Key_A));
    EXPECT_EQ(KeyShortcut(QLatin1Char('j'), {Modifier::control, Modifier::command}).keySequence(),
              QKeySequence(Qt::ControlModifier | Qt::MetaModifier | Qt::Key_J));
}
