#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QWidget>

#include <fstream>

#include "Halvane/Notch/Cards/PromptCard.h"
#include "Halvane/Notch/Cards/QuestionForm.h"
#include "Halvane/Notch/Cards/QuestionOptionButton.h"
#include "Halvane/Notch/Cards/SuggestionChip.h"
#include "Halvane/Notch/Components/CappedScrollArea.h"
#include "Halvane/Notch/Components/CardHeader.h"
#include "Halvane/Notch/Components/CodeBlock.h"
#include "Halvane/Notch/Components/DiffLineView.h"
#include "Halvane/Notch/Components/KeyHint.h"
#include "Halvane/Notch/Components/NotchActionButton.h"
#include "Halvane/Theme/NotchText.h"
#include "NotchViewsFixture.h"
#include "ScriptedServer.h"

using namespace halvane;
using namespace halvane::test;
using namespace std::chrono_literals;

namespace {

class PromptCardTest : public NotchViewsTest {
protected:
    Session session(const std::string& id = "s1") {
        Session made;
        made.id = id;
        made.cwd = "/home/ada/src/engine";
        made.status = SessionStatus::working();
        made.lastEvent = now - 12s;
        made.lastModel = "claude-sonnet-4-5";
        made.lastTerminalPid = kTerminalPid;
        made.lastTerminalId = "net.kovidgoyal.kitty";
        return made;
    }

    static PendingPrompt prompt(HookEvent event) {
        return PendingPrompt{QUuid::createUuid(), std::move(event), [](const HookDecision&) {}};
    }

    // A call asked about before it runs, when every call is shown.
    static HookEvent request(const std::string& tool, const std::string& toolInput) {
        HookEvent event;
        event.kind = HookEvent::Kind::preToolUse;
        event.sessionId = "s1";
        event.cwd = "/home/ada/src/engine";
        event.tool = tool;
        event.toolInput = toolInput;
        return event;
    }

    std::unique_ptr<PromptCard> card(HookEvent event, int pendingCount = 1) {
        auto made = std::make_unique<PromptCard>(session(), prompt(std::move(event)), pendingCount,
                                                 nullptr, clock);
        QObject::connect(made.get(), &PromptCard::decided,
                         [this](const HookDecision& decision) { decisions.push_back(decision); });
        QObject::connect(made.get(), &PromptCard::alwaysAllowed, [this] { ++alwaysCount; });
        return made;
    }

    static std::vector<std::string> buttonLabels(const PromptCard& card) {
        std::vector<std::string> labels;
        for (const NotchActionButton* button : card.actionButtons()) {
            labels.push_back(button->label().toStdString());
        }
        return labels;
    }

    static std::vector<std::string> lineTexts(const CodeBlock& block) {
        std::vector<std::string> texts;
        for (const DiffLineView* view : block.lineViews()) {
            const DiffLine& line = view->line();
            texts.push_back((line.lineNumber ? std::to_string(*line.lineNumber) : "-") + " " +
                            (line.marker + line.text).toStdString());
        }
        return texts;
    }

    // The card in a window of its own that has the keyboard focus, as the
    // notch panel has after a click.
    void focus(PromptCard& card) {
        card.resize(508, card.heightForWidth(508));
        card.show();
        QApplication::setActiveWindow(&card);
        ASSERT_TRUE(waitUntil([&] { return QApplication::activeWindow() == &card; }));
    }

    std::vector<HookDecision> decisions;
    int alwaysCount = 0;
};

HookDecision verdict(HookDecision::Decision decision,
                     std::optional<std::string> reason = std::nullopt,
                     std::optional<std::string> picked = std::nullopt) {
    return HookDecision{decision, std::move(reason), std::move(picked)};
}

}  // namespace

TEST_F(PromptCardTest, ABashRequestShowsTheNumberedCommandAndItsPurpose) {
    auto bash = card(request(
        "Bash", R"({"command":"cd build &&\ncmake -G Ninja ..\nninja","description":"Build it"})"));
    EXPECT_EQ(bash->header()->title()->text(), "Permission requested");
    EXPECT_EQ(bash->header()->subtitle()->text(),
              "Claude · claude-sonnet-4-5 · cd build && cmake -G Ninja .. ninja");
    EXPECT_EQ(bash->header()->trailing()->text(), "12s");
    ASSERT_NE(bash->codeBlock(), nullptr);
    EXPECT_EQ(lineTexts(*bash->codeBlock()),
              (std::vector<std::string>{"1 $cd build &&", "2 $cmake -G Ninja ..", "3 $ninja"}));
    const auto texts = bash->findChildren<NotchText*>();
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                            [](const NotchText* text) { return text->text() == "Build it"; }));
    EXPECT_EQ(buttonLabels(*bash), (std::vector<std::string>{"Approve", "Deny", "Always"}));
}

TEST_F(PromptCardTest, AnEditShowsItsDiffNumberedAsInTheFile) {
    TempDir folder("edit");
    const auto path = folder / "main.cpp";
    {
        std::ofstream file(path);
        for (int line = 1; line < 42; ++line) {
            file << "\n";
        }
        file << "return 41;\n";
    }
    const nlohmann::json input = {
        {"file_path", path.string()}, {"old_string", "return 41;"}, {"new_string", "return 42;"}};
    auto edit = card(request("Edit", input.dump()));
    ASSERT_NE(edit->codeBlock(), nullptr);
    EXPECT_EQ(lineTexts(*edit->codeBlock()),
              (std::vector<std::string>{"42 −return 41;", "42 +return 42;"}));
}

TEST_F(PromptCardTest, AnotherFileToolShowsItsPathOnly) {
    auto read = card(request("Read", R"({"file_path":"/home/ada/src/engine/README.md"})"));
    // A Read request has no body of its own.
    EXPECT_EQ(read->codeBlock(), nullptr);
    HookEvent withMessage = request("Read", R"({"file_path":"/home/ada/src/engine/README.md"})");
    withMessage.message = "Claude wants to read a file";
    auto described = card(withMessage);
    ASSERT_NE(described->codeBlock(), nullptr);
    EXPECT_EQ(lineTexts(*described->codeBlock()), std::vector<std::string>{"- README.md"});
}

TEST_F(PromptCardTest, KeysAnswerWhileTheWindowHasTheFocus) {
    auto first = card(request("Bash", R"({"command":"ls"})"));
    focus(*first);
    QTest::keyClick(first.get(), Qt::Key_A);
    ASSERT_TRUE(waitUntil([&] { return decisions.size() == 1; }));
    EXPECT_EQ(decisions.back(), verdict(HookDecision::Decision::approve));

    QTest::keyClick(first.get(), Qt::Key_D);
    ASSERT_TRUE(waitUntil([&] { return decisions.size() == 2; }));
    EXPECT_EQ(decisions.back(), verdict(HookDecision::Decision::deny, "User denied"));

    QTest::keyClick(first.get(), Qt::Key_A, Qt::AltModifier);
    ASSERT_TRUE(waitUntil([&] { return alwaysCount == 1; }));
    EXPECT_EQ(decisions.size(), 2u);
}

TEST_F(PromptCardTest, ARetiredCardNoLongerAnswersKeys) {
    auto old = card(request("Bash", R"({"command":"ls"})"));
    focus(*old);
    old->retire();
    QTest::keyClick(old.get(), Qt::Key_A);
    QTest::keyClick(old.get(), Qt::Key_D);
    QApplication::processEvents();
    old->perform(PromptAction::Kind::approve);
    EXPECT_TRUE(decisions.empty());
}

TEST_F(PromptCardTest, ANotificationJumpsOrIsDismissed) {
    HookEvent note;
    note.kind = HookEvent::Kind::notification;
    note.sessionId = "s1";
    note.message = "Claude needs your permission to use Bash";
    auto notice = card(note);
    EXPECT_EQ(notice->header()->title()->text(), "Claude needs your permission to use Bash");
    EXPECT_EQ(buttonLabels(*notice), (std::vector<std::string>{"Jump", "Dismiss"}));
    focus(*notice);
    QTest::keyClick(notice.get(), Qt::Key_J);
    ASSERT_TRUE(waitUntil([&] { return decisions.size() == 1; }));
    EXPECT_EQ(decisions.back(), verdict(HookDecision::Decision::passthrough));
    EXPECT_EQ(windows.activated, std::vector<std::int32_t>{kTerminalPid});
    QTest::keyClick(notice.get(), Qt::Key_D);
    ASSERT_TRUE(waitUntil([&] { return decisions.size() == 2; }));
    EXPECT_EQ(decisions.back(), verdict(HookDecision::Decision::passthrough));
    EXPECT_EQ(windows.activated.size(), 1u);
}

TEST_F(PromptCardTest, QuestionsAreAnsweredWithTheApprovalWithoutTyping) {
    const std::string input = R"({"questions":[
        {"question":"Which database?","header":"Storage","multiSelect":false,
         "options":[{"label":"PostgreSQL","description":"Relational"},
                    {"label":"SQLite","description":"One file"}]},
        {"question":"Which caches?","header":"Cache","multiSelect":true,
         "options":[{"label":"Redis"},{"label":"Memcached"}]}]})";
    HookEvent asked = request("AskUserQuestion", input);
    asked.kind = HookEvent::Kind::permissionRequest;
    const auto answered = [](const HookDecision& decision, const std::string& asked) {
        EXPECT_EQ(decision.decision, HookDecision::Decision::approve);
        nlohmann::json expected = nlohmann::json::parse(asked);
        const nlohmann::json sent = nlohmann::json::parse(decision.updatedInput.value_or("{}"));
        expected["answers"] = sent.value("answers", nlohmann::json());
        EXPECT_EQ(sent, expected) << "the original input travels back unchanged";
        return sent["answers"];
    };

    // Two questions: one pick, several picks, then Submit.
    auto both = card(asked);
    QuestionForm* form = both->questionForm();
    ASSERT_NE(form, nullptr);
    ASSERT_EQ(both->optionButtons().size(), 4u);
    EXPECT_EQ(buttonLabels(*both), std::vector<std::string>{"Deny"});
    ASSERT_NE(form->submitButton(), nullptr);
    QTest::mouseClick(both->optionButtons()[0], Qt::LeftButton);
    QTest::mouseClick(both->optionButtons()[1], Qt::LeftButton);
    EXPECT_FALSE(form->submitButton()->isEnabled()) << "the second question has no answer yet";
    EXPECT_FALSE(form->submit());
    QTest::mouseClick(both->optionButtons()[2], Qt::LeftButton);
    QTest::mouseClick(both->optionButtons()[3], Qt::LeftButton);
    EXPECT_TRUE(decisions.empty());
    QTest::mouseClick(form->submitButton(), Qt::LeftButton);
    ASSERT_EQ(decisions.size(), 1u);
    EXPECT_EQ(
        answered(decisions[0], input),
        nlohmann::json({{"Which database?", "SQLite"}, {"Which caches?", "Redis, Memcached"}}));

    // One's own words, typed in "Other", answer a question too.
    auto own = card(asked);
    own->questionForm()->choose(1, 0);
    QTest::keyClicks(own->questionForm()->otherField(0), "DuckDB");
    QTest::keyClick(own->questionForm()->otherField(0), Qt::Key_Return);
    ASSERT_EQ(decisions.size(), 2u);
    EXPECT_EQ(answered(decisions[1], input),
              nlohmann::json({{"Which database?", "DuckDB"}, {"Which caches?", "Redis"}}));

    // A lone single-choice question is answered by its first click.
    HookEvent single = asked;
    single.toolInput = R"({"questions":[{"question":"Ship it?","header":"Ship",)"
                       R"("multiSelect":false,"options":[{"label":"Yes"},{"label":"No"}]}]})";
    auto lone = card(single);
    EXPECT_EQ(lone->questionForm()->submitButton(), nullptr);
    lone->choose(1);
    ASSERT_EQ(decisions.size(), 3u);
    EXPECT_EQ(answered(decisions[2], *single.toolInput), nlohmann::json({{"Ship it?", "No"}}));
    EXPECT_TRUE(windows.typed.empty());
}

TEST_F(PromptCardTest, ChoosingAnOptionApprovesAndTypesItsNumber) {
    ScriptedServer injector(injectionSocket("s1").string(),
                            ScriptedServer::Reply::closeWithoutAnswer);
    ASSERT_TRUE(injector.listening());
    auto question = card(request("AskUserQuestion", R"({"questions":[
        {"question":"Which database?","header":"Storage","multiSelect":false,
         "options":[{"label":"PostgreSQL","description":"Relational"},
                    {"label":"SQLite","description":"One file"}]},
        {"question":"Cache?","header":"Cache","multiSelect":false,
         "options":[{"label":"Redis","description":"In memory"}]}]})"));
    ASSERT_EQ(question->optionButtons().size(), 2u);
    EXPECT_EQ(question->optionButtons()[1]->label(), "SQLite");
    const auto texts = question->findChildren<NotchText*>();
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const NotchText* text) {
        return text->text() == "Which database?";
    }));
    EXPECT_EQ(buttonLabels(*question), std::vector<std::string>{"Deny"});

    QTest::mouseClick(question->optionButtons()[1], Qt::LeftButton);
    ASSERT_EQ(decisions.size(), 1u);
    EXPECT_EQ(decisions[0], verdict(HookDecision::Decision::approve));
    ASSERT_TRUE(waitUntil([&] { return injector.requests().size() == 1; }));
    EXPECT_EQ(injector.requests()[0], "2\\r");
    EXPECT_TRUE(windows.typed.empty());
}

TEST_F(PromptCardTest, ASuggestionIsTypedAndPassedThroughWithThePick) {
    HookEvent note;
    note.kind = HookEvent::Kind::notification;
    note.sessionId = "s1";
    note.suggestions = std::vector<std::string>{"Yes, continue", "Stop here"};
    auto suggested = card(note);
    EXPECT_EQ(suggested->header()->title()->text(), "Notification");
    ASSERT_EQ(suggested->suggestionChips().size(), 2u);
    QTest::mouseClick(suggested->suggestionChips()[0], Qt::LeftButton);
    ASSERT_EQ(decisions.size(), 1u);
    EXPECT_EQ(decisions[0],
              verdict(HookDecision::Decision::passthrough, std::nullopt, "Yes, continue"));
    // No injector listens for this session: the reply is typed into the
    // terminal brought to the front.
    ASSERT_TRUE(waitUntil([&] { return windows.typed.size() == 1; }));
    EXPECT_EQ(windows.typed[0], "Yes, continue\r");
    EXPECT_EQ(windows.activated, std::vector<std::int32_t>{kTerminalPid});
}

TEST_F(PromptCardTest, ButtonsShowTheirKeysAndAlwaysNamesItsRule) {
    auto bash = card(request("Bash", R"({"command":"npm install left-pad"})"));
    const auto& buttons = bash->actionButtons();
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(buttons[0]->keyHint()->label(), "A");
    EXPECT_EQ(buttons[1]->keyHint()->label(), "D");
    EXPECT_EQ(buttons[2]->keyHint()->label(), "Alt+A");
    EXPECT_EQ(buttons[0]->style(), NotchActionStyle::primary);
    EXPECT_TRUE(buttons[0]->buttonStyle().filled);
    EXPECT_FALSE(buttons[1]->buttonStyle().filled);
    EXPECT_EQ(buttons[2]->shortcut(), QKeySequence(Qt::AltModifier | Qt::Key_A));
    EXPECT_EQ(buttons[2]->toolTip(), "Always allow Bash(npm:*)");
    // The button is as wide as its word, key-cap and padding.
    EXPECT_GT(buttons[0]->sizeHint().width(), buttons[0]->keyHint()->sizeHint().width() + 40);
}

TEST_F(PromptCardTest, TheDiffShowsWholeRowsUpToTwelveThenScrolls) {
    const auto edit = [](int removed, int added, const std::string& extra = {}) {
        std::string oldText;
        std::string newText;
        for (int i = 0; i < removed; ++i) {
            oldText += (i ? "\\n" : "") + std::string("old line ") + std::to_string(i);
        }
        for (int i = 0; i < added; ++i) {
            newText += (i ? "\\n" : "") + std::string("new line ") + std::to_string(i) + extra;
        }
        return request("Edit", R"({"file_path":"/nowhere/a.ts","old_string":")" + oldText +
                                   R"(","new_string":")" + newText + R"("})");
    };
    const auto shown = [](PromptCard& card) {
        card.resize(508, card.heightForWidth(508));
        card.show();
        QApplication::processEvents();
        return card.codeBlock();
    };

    // Two lines, one of them far wider than the card: both rows whole, the
    // long one cut short with an ellipsis instead of wrapping.
    auto small = card(edit(1, 1, std::string(300, 'x')));
    const CodeBlock* two = shown(*small);
    ASSERT_NE(two, nullptr);
    const int row = DiffLineView::rowHeight();
    EXPECT_EQ(two->scrollArea()->height(), two->rowsHeight(2));
    EXPECT_FALSE(two->scrollArea()->isScrolling());
    for (const DiffLineView* line : two->lineViews()) {
        EXPECT_EQ(line->height(), row);
    }
    EXPECT_FALSE(two->lineViews()[0]->isElided());
    EXPECT_TRUE(two->lineViews()[1]->isElided());
    EXPECT_TRUE(two->lineViews()[1]->toolTip().endsWith(QString(300, QLatin1Char('x'))));

    // Thirty lines: twelve whole rows, then the rest by scrolling a row at a time.
    auto large = card(edit(15, 15));
    const CodeBlock* thirty = shown(*large);
    ASSERT_NE(thirty, nullptr);
    ASSERT_EQ(thirty->lineViews().size(), 30u);
    EXPECT_EQ(thirty->scrollArea()->height(), thirty->rowsHeight(CodeBlock::kVisibleRows));
    EXPECT_TRUE(thirty->scrollArea()->isScrolling());
    const int step = thirty->scrollArea()->verticalScrollBar()->singleStep();
    EXPECT_EQ(thirty->scrollArea()->height() % step, row);
    EXPECT_EQ(thirty->scrollArea()->height() / step, CodeBlock::kVisibleRows - 1);
}
