#include <QAbstractButton>

#include "Halvane/Notch/Cards/PromptCard.h"
#include "Halvane/Notch/Components/CappedScrollArea.h"
#include "Halvane/Notch/Components/CardHeader.h"
#include "Halvane/Notch/Components/CollapseButton.h"
#include "Halvane/Notch/ExpandedView.h"
#include "Halvane/Notch/SessionList/SessionListCard.h"
#include "Halvane/Notch/SessionList/SessionRow.h"
#include "Halvane/Theme/NotchText.h"
#include "NotchViewsFixture.h"

using namespace halvane;
using namespace halvane::test;
using namespace std::chrono_literals;

namespace {

class ExpandedViewTest : public NotchViewsTest {
protected:
    // The view as the notch shows it: on screen, at its own size.
    std::unique_ptr<ExpandedView> shownView() {
        auto view = std::make_unique<ExpandedView>(store, clock);
        view->resize(view->sizeHint());
        view->show();
        return view;
    }

    static std::vector<std::string> rowIds(const SessionListCard& card) {
        std::vector<std::string> ids;
        for (const SessionRow* row : card.rows()) {
            ids.push_back(row->session().id);
        }
        return ids;
    }

    static SessionRow* row(const SessionListCard& card, const std::string& id) {
        for (SessionRow* candidate : card.rows()) {
            if (candidate->session().id == id) {
                return candidate;
            }
        }
        return nullptr;
    }

    static void click(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(20, 12));
    }
};

}  // namespace

TEST_F(ExpandedViewTest, ShowsNothingWithoutSessions) {
    ExpandedView view(store, clock);
    EXPECT_EQ(view.listCard(), nullptr);
    EXPECT_EQ(view.promptCard(), nullptr);
    EXPECT_FALSE(view.isPromptCard());
    EXPECT_EQ(view.sizeHint(), QSize(0, 0));
}

TEST_F(ExpandedViewTest, ListsSessionsNewestFirstWhenNobodyWaits) {
    notice("alpha", 300s);
    work("beta", 10s);
    finish("gamma", 100s);
    ExpandedView view(store, clock);
    ASSERT_NE(view.listCard(), nullptr);
    EXPECT_EQ(view.promptCard(), nullptr);
    EXPECT_EQ(rowIds(*view.listCard()), (std::vector<std::string>{"beta", "gamma", "alpha"}));
    EXPECT_EQ(view.sizeHint().width(), ExpandedView::kListCardWidth);
    EXPECT_EQ(view.listCard()->header()->subtitle()->text(), "1 working");
    EXPECT_EQ(row(*view.listCard(), "alpha")->status(), SessionUIStatus::idle);
    EXPECT_EQ(row(*view.listCard(), "beta")->status(), SessionUIStatus::working);
    EXPECT_EQ(row(*view.listCard(), "gamma")->status(), SessionUIStatus::done);
}

TEST_F(ExpandedViewTest, ShowsThePromptOfTheNewestWaitingSession) {
    ask("older", "Bash", R"({"command":"rm -rf build"})", 20s);
    ask("newer", "Edit", R"({"file_path":"/tmp/x","old_string":"a","new_string":"b"})", 5s);
    work("busy");
    ExpandedView view(store, clock);
    ASSERT_NE(view.promptCard(), nullptr);
    EXPECT_TRUE(view.isPromptCard());
    EXPECT_EQ(view.promptCard()->session().id, "newer");
    EXPECT_EQ(view.promptCard()->pendingCount(), 2);
    EXPECT_EQ(view.sizeHint().width(), ExpandedView::kPromptCardWidth);
    EXPECT_TRUE(view.promptCard()->header()->subtitle()->text().endsWith("2 actions pending"));
    EXPECT_EQ(view.promptCard()->header()->trailing()->text(), "5s");

    // News from the waiting session only ages the card; it is not rebuilt.
    PromptCard* shown = view.promptCard();
    now += 30s;
    notice("newer");
    EXPECT_EQ(view.promptCard(), shown);
    EXPECT_EQ(view.promptCard()->header()->trailing()->text(), "now");
}

TEST_F(ExpandedViewTest, AnsweringMovesOnToTheNextPromptThenBackToTheList) {
    ask("older", "Bash", R"({"command":"git push"})", 20s);
    ask("newer", "Bash", R"({"command":"npm test"})", 5s);
    auto view = shownView();
    ASSERT_NE(view->promptCard(), nullptr);
    view->promptCard()->perform(PromptAction::Kind::approve);
    ASSERT_EQ(answers["newer"].size(), 1u);
    EXPECT_EQ(answers["newer"][0].decision, HookDecision::Decision::approve);

    ASSERT_NE(view->promptCard(), nullptr);
    EXPECT_EQ(view->promptCard()->session().id, "older");
    EXPECT_EQ(view->promptCard()->pendingCount(), 1);
    view->promptCard()->perform(PromptAction::Kind::deny);
    ASSERT_EQ(answers["older"].size(), 1u);
    EXPECT_EQ(answers["older"][0],
              (HookDecision{HookDecision::Decision::deny, "User denied", std::nullopt}));

    EXPECT_EQ(view->promptCard(), nullptr);
    ASSERT_NE(view->listCard(), nullptr);
    EXPECT_EQ(view->listCard()->header()->subtitle()->text(), "2 working");
    // The list grows into place; when it settles the view has the list's width.
    ASSERT_TRUE(waitUntil([&] { return !view->isTransitioning(); }));
    EXPECT_EQ(view->sizeHint().width(), ExpandedView::kListCardWidth);
}

TEST_F(ExpandedViewTest, AlwaysApprovesWithTheRuleClaudeCodeSuggested) {
    const std::string suggestion =
        R"([{"type":"addRules","rules":[{"toolName":"Bash","ruleContent":"git status *"}],)"
        R"("behavior":"allow","destination":"localSettings"}])";
    HookEvent asked = event(HookEvent::Kind::permissionRequest, "repo", std::chrono::seconds(0));
    asked.tool = "Bash";
    asked.toolInput = R"({"command":"git status --short"})";
    asked.permissionSuggestions = suggestion;
    store.handle(asked, recorder("repo"));
    auto view = shownView();
    view->promptCard()->perform(PromptAction::Kind::always);
    ASSERT_EQ(answers["repo"].size(), 1u);
    EXPECT_EQ(answers["repo"][0].decision, HookDecision::Decision::approve);
    EXPECT_EQ(answers["repo"][0].updatedPermissions, suggestion);
    EXPECT_TRUE(store.allowPatterns().empty()) << "Claude Code keeps the rule itself";
}

TEST_F(ExpandedViewTest, FivesRowsStackAndMoreScroll) {
    for (int index = 0; index < 5; ++index) {
        notice("s" + std::to_string(index), std::chrono::seconds(index));
    }
    ExpandedView view(store, clock);
    ASSERT_NE(view.listCard(), nullptr);
    EXPECT_FALSE(view.listCard()->isScrolling());
    const int fiveRows = view.listCard()->list()->heightForWidth(420);
    EXPECT_EQ(fiveRows, view.listCard()->list()->contentHeightForWidth(420));

    notice("s5", 5s);
    EXPECT_TRUE(view.listCard()->isScrolling());
    for (int index = 6; index < 12; ++index) {
        notice("s" + std::to_string(index), std::chrono::seconds(index));
    }
    EXPECT_GT(view.listCard()->list()->contentHeightForWidth(420), SessionListCard::kListHeightCap);
    EXPECT_EQ(view.listCard()->list()->heightForWidth(420), SessionListCard::kListHeightCap);
    EXPECT_EQ(view.listCard()->list()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(ExpandedViewTest, FirstClickUnfoldsASecondClickJumpsToTheTerminal) {
    notice("alpha", 30s);
    notice("beta", 10s);
    auto view = shownView();
    SessionListCard& card = *view->listCard();
    EXPECT_EQ(card.header()->trailing()->text(), "Click to expand, click again to open");

    click(row(card, "alpha"));
    EXPECT_EQ(card.expandedSessionId(), "alpha");
    EXPECT_TRUE(row(card, "alpha")->isExpanded());
    EXPECT_EQ(card.header()->trailing()->text(), "Click again to open");

    click(row(card, "beta"));
    EXPECT_EQ(card.expandedSessionId(), "beta");
    EXPECT_FALSE(row(card, "alpha")->isExpanded());
    EXPECT_TRUE(row(card, "beta")->isExpanded());
    EXPECT_TRUE(windows.activated.empty());

    ASSERT_TRUE(waitUntil([&] { return !row(card, "beta")->isAnimating(); }));
    click(row(card, "beta"));
    EXPECT_EQ(windows.activated, std::vector<std::int32_t>{kTerminalPid});
    EXPECT_TRUE(row(card, "beta")->isExpanded());

    QTest::mouseClick(row(card, "beta")->collapseButton(), Qt::LeftButton);
    EXPECT_FALSE(card.expandedSessionId().has_value());
    EXPECT_FALSE(row(card, "beta")->isExpanded());
    EXPECT_EQ(windows.activated.size(), 1u);
}

TEST_F(ExpandedViewTest, UnfoldingGrowsTheRowAndEveryOpeningStartsFolded) {
    notice("alpha");
    auto view = shownView();
    SessionRow* alpha = row(*view->listCard(), "alpha");
    const int folded = alpha->heightForWidth(420);
    click(alpha);
    ASSERT_TRUE(waitUntil([&] { return !alpha->isAnimating(); }));
    EXPECT_GT(alpha->heightForWidth(420), folded);

    view->hide();
    view->show();
    ASSERT_NE(view->listCard(), nullptr);
    EXPECT_FALSE(view->listCard()->expandedSessionId().has_value());
    EXPECT_FALSE(row(*view->listCard(), "alpha")->isExpanded());
}

TEST_F(ExpandedViewTest, RowsTellWhatAClickWillDo) {
    notice("engine");
    HookEvent anonymous = event(HookEvent::Kind::notification, "plain", 5s);
    anonymous.terminalId.reset();
    anonymous.terminalPid.reset();
    store.handle(anonymous, recorder("plain"));
    auto view = shownView();
    SessionListCard& card = *view->listCard();
    EXPECT_EQ(row(card, "engine")->toolTip(), "Click to expand · click again to open in Kitty");
    EXPECT_EQ(row(card, "plain")->toolTip(),
              "Click to expand · click again to open in the terminal");
    click(row(card, "engine"));
    EXPECT_EQ(row(card, "engine")->toolTip(), "Click anywhere to open engine in Kitty");
    EXPECT_EQ(row(card, "engine")->collapseButton()->toolTip(), "Collapse");
    // Screen readers name a row by its project and read the same help.
    EXPECT_EQ(row(card, "engine")->accessibleName(), "engine");
    EXPECT_EQ(row(card, "engine")->accessibleDescription(), row(card, "engine")->toolTip());
    EXPECT_EQ(row(card, "engine")->collapseButton()->accessibleName(), "Collapse");
}

TEST_F(ExpandedViewTest, RowsFollowTheStoreWithoutBeingRebuilt) {
    notice("alpha", 120s);
    notice("beta", 60s);
    auto view = shownView();
    SessionRow* alpha = row(*view->listCard(), "alpha");
    ask("alpha", "Bash", R"({"command":"ls"})");
    ASSERT_NE(view->promptCard(), nullptr);
    view->promptCard()->perform(PromptAction::Kind::approve);
    ASSERT_NE(view->listCard(), nullptr);
    EXPECT_EQ(rowIds(*view->listCard()), (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_EQ(row(*view->listCard(), "alpha")->status(), SessionUIStatus::working);
    // The list was rebuilt after the prompt; updates within the list keep rows.
    alpha = row(*view->listCard(), "alpha");
    now += 10s;
    notice("beta");
    EXPECT_EQ(row(*view->listCard(), "alpha"), alpha);
    EXPECT_EQ(rowIds(*view->listCard()), (std::vector<std::string>{"beta", "alpha"}));
}
