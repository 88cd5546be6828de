// The ready-made info content: which labels go where, how it converts, and
// how its views adapt to the slot they are drawn in.
#include <QLabel>

#include "NotchKit/CompactLeadingView.h"
#include "NotchKit/CompactTrailingView.h"
#include "NotchKit/InfoView.h"
#include "NotchKit/NotchContentView.h"
#include "NotchKit/NotchInfo.h"
#include "NotchKit/NotchInfoLabelView.h"
#include "NotchKit/NotchPanel.h"
#include "NotchKit/NotchProgressRing.h"
#include "PresenterFixture.h"

using namespace notchkit;
using namespace notchkit::test;

namespace {

class Info : public PresenterFixture {
protected:
    static NotchInfo::Content basic() {
        NotchInfo::Content content;
        content.icon = NotchInfo::Label::icon(QStringLiteral("sparkle"));
        content.title = QStringLiteral("Done");
        content.description = QStringLiteral("All good");
        return content;
    }
    static bool settled(NotchInfo& info) {
        return waitUntil([&] {
            auto* panel = info.internalPresenter()->panel();
            return panel != nullptr && !panel->contentView()->isAnimating();
        });
    }
};

}  // namespace

TEST_F(Info, WithoutALeadingLabelTheIconTakesTheWingAndConversionsGoStraightAcross) {
    useNotch();
    NotchInfo info(basic(), NotchHoverOption::none, NotchStyle::automatic(), quickTimings());
    EXPECT_TRUE(info.shouldSkipHideWhenConverting());
    auto* leading =
        qobject_cast<CompactLeadingView*>(info.internalPresenter()->compactLeadingContent());
    ASSERT_NE(leading, nullptr);
    ASSERT_NE(leading->labelView(), nullptr);
    EXPECT_EQ(leading->labelView()->label(), *info.icon());

    std::vector<NotchState> seen;
    QObject::connect(info.internalPresenter(), &NotchPresenter::stateChanged,
                     [&](NotchState state) { seen.push_back(state); });
    ASSERT_TRUE(finished(info.compact(screen())));
    ASSERT_TRUE(finished(info.expand(screen())));
    EXPECT_EQ(seen, (std::vector{NotchState::compact, NotchState::expanded}));
    ASSERT_TRUE(finished(info.hide()));
    EXPECT_EQ(info.internalPresenter()->panel(), nullptr);
}

TEST_F(Info, AGivenLeadingLabelTakesTheWingAndConversionsHideBriefly) {
    useNotch();
    auto content = basic();
    content.compactLeading = NotchInfo::Label::icon(QStringLiteral("bolt"));
    content.compactTrailing = NotchInfo::Label::icon(QStringLiteral("check"));
    NotchInfo info(content, NotchHoverOption::none, NotchStyle::automatic(), quickTimings());
    EXPECT_FALSE(info.shouldSkipHideWhenConverting());
    auto* leading =
        qobject_cast<CompactLeadingView*>(info.internalPresenter()->compactLeadingContent());
    auto* trailing =
        qobject_cast<CompactTrailingView*>(info.internalPresenter()->compactTrailingContent());
    EXPECT_EQ(leading->labelView()->label().iconName(), QStringLiteral("bolt"));
    EXPECT_EQ(trailing->labelView()->label().iconName(), QStringLiteral("check"));

    std::vector<NotchState> seen;
    QObject::connect(info.internalPresenter(), &NotchPresenter::stateChanged,
                     [&](NotchState state) { seen.push_back(state); });
    ASSERT_TRUE(finished(info.compact(screen())));
    ASSERT_TRUE(finished(info.expand(screen())));
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 3; }));
    EXPECT_EQ(seen, (std::vector{NotchState::compact, NotchState::hidden, NotchState::expanded}));
}

TEST_F(Info, CardShowsTheTextsInWhiteOnTheNotchAndFollowsChanges) {
    useNotch();
    NotchInfo info(basic(), NotchHoverOption::none, NotchStyle::automatic(), quickTimings());
    auto* card = qobject_cast<InfoView*>(info.internalPresenter()->expandedContent());
    ASSERT_NE(card, nullptr);
    ASSERT_TRUE(finished(info.expand(screen())));
    EXPECT_EQ(card->titleText(), QStringLiteral("Done"));
    EXPECT_EQ(card->descriptionText(), QStringLiteral("All good"));
    EXPECT_EQ(card->titleColor(), QColor(Qt::white));
    EXPECT_NEAR(card->descriptionColor().alphaF(), 0.5, 0.01);
    EXPECT_EQ(card->iconView()->foreground(), QColor(Qt::white));

    info.setTitle(QStringLiteral("Deployed"));
    info.setDescription(std::nullopt);
    info.setTextColor(QColor(255, 200, 0));
    EXPECT_EQ(card->titleText(), QStringLiteral("Deployed"));
    EXPECT_TRUE(card->descriptionText().isEmpty());
    EXPECT_EQ(card->titleColor(), QColor(255, 200, 0));
    EXPECT_NEAR(card->descriptionColor().alphaF(), 0.5, 0.01);
}

TEST_F(Info, OnTheFloatingCardTextsTakeThePaletteColoursWhichAreWhiteOnItsDarkGlass) {
    NotchInfo info(basic(), NotchHoverOption::none, NotchStyle::automatic(), quickTimings());
    auto* card = qobject_cast<InfoView*>(info.internalPresenter()->expandedContent());
    ASSERT_TRUE(finished(info.expand(screen())));
    EXPECT_EQ(card->titleColor(), card->palette().color(QPalette::WindowText));
    EXPECT_EQ(card->iconView()->foreground(), QColor(Qt::white));
}

TEST_F(Info, ProgressRingIsThinnerInAWingAndFillsToItsValue) {
    useNotch();
    auto progress = std::make_shared<NotchBinding>(0.6);
    auto content = basic();
    content.icon = NotchInfo::Label::progress(progress, QColor(Qt::green));
    NotchInfo info(content, NotchHoverOption::none, NotchStyle::automatic(), quickTimings());
    auto* leading =
        qobject_cast<CompactLeadingView*>(info.internalPresenter()->compactLeadingContent());
    auto* card = qobject_cast<InfoView*>(info.internalPresenter()->expandedContent());
    NotchProgressRing* wingRing = leading->labelView()->progressRing();
    NotchProgressRing* cardRing = card->iconView()->progressRing();
    ASSERT_NE(wingRing, nullptr);
    ASSERT_NE(cardRing, nullptr);

    EXPECT_FALSE(wingRing->isLoaded());
    ASSERT_TRUE(finished(info.compact(screen())));
    EXPECT_DOUBLE_EQ(wingRing->thickness(), 3);
    EXPECT_DOUBLE_EQ(cardRing->thickness(), 4);
    EXPECT_TRUE(wingRing->isLoaded());
    ASSERT_TRUE(waitUntil([&] { return wingRing->displayedFraction() == 0.6; }));

    progress->setValue(0.9);
    ASSERT_TRUE(waitUntil([&] { return wingRing->displayedFraction() == 0.9; }));
}

TEST_F(Info, ChangingALabelSwapsWhatTheWingShows) {
    useNotch();
    NotchInfo info(basic(), NotchHoverOption::none, NotchStyle::automatic(), quickTimings());
    auto* trailing =
        qobject_cast<CompactTrailingView*>(info.internalPresenter()->compactTrailingContent());
    EXPECT_EQ(trailing->labelView(), nullptr);
    EXPECT_EQ(trailing->sizeHint(), QSize(0, 0));
    ASSERT_TRUE(finished(info.compact(screen())));
    info.setCompactTrailing(NotchInfo::Label::icon(QStringLiteral("close")));
    ASSERT_NE(trailing->labelView(), nullptr);
    EXPECT_EQ(trailing->labelView()->label().iconName(), QStringLiteral("close"));
    EXPECT_GT(trailing->sizeHint().width(), 0);
    ASSERT_TRUE(waitUntil([&] { return !trailing->isAnimating(); }));
    EXPECT_TRUE(trailing->labelView()->isVisible());
}
