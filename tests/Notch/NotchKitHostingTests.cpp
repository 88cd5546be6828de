#include <QGuiApplication>
#include <QScreen>

#include "Halvane/Notch/Cards/PromptCard.h"
#include "Halvane/Notch/CompactLeading.h"
#include "Halvane/Notch/CompactTrailing.h"
#include "Halvane/Notch/ExpandedView.h"
#include "NotchKit/NotchPanel.h"
#include "NotchKit/NotchPresenter.h"
#include "NotchKit/NotchScreen.h"
#include "NotchViewsFixture.h"

using namespace halvane;
using namespace halvane::test;
using namespace std::chrono_literals;

namespace {

// The views inside the notch kit's real presenter, on a screen with a notch,
// with the kit's waits shortened.
class NotchKitHostingTest : public NotchViewsTest {
protected:
    NotchKitHostingTest() { ::setenv(notchkit::NotchScreen::notchVariable, "200x32", 1); }
    ~NotchKitHostingTest() override { ::unsetenv(notchkit::NotchScreen::notchVariable); }

    std::unique_ptr<notchkit::NotchPresenter> presenter() {
        notchkit::NotchTimings timings;
        timings.closeDelay = 20ms;
        timings.fadeDuration = 10ms;
        timings.hoverRecheck = 10ms;
        timings.conversionPause = 10ms;
        timings.settle = 20ms;
        return std::make_unique<notchkit::NotchPresenter>(
            notchkit::NotchHoverOption::none, notchkit::NotchStyle::automatic(),
            [this] { return new ExpandedView(store, clock); },
            [this] { return new CompactLeading(store); },
            [this] { return new CompactTrailing(store); }, timings);
    }

    static QScreen* screen() { return QGuiApplication::primaryScreen(); }
};

}  // namespace

TEST_F(NotchKitHostingTest, TheExpandedNotchGivesTheViewItsOwnSize) {
    ask("checkout-api", "Bash",
        R"({"command":"git push --force-with-lease","description":"Push"})");
    auto notch = presenter();
    const auto opened = notch->expand(screen());
    ASSERT_TRUE(waitUntil([&] { return opened.isFinished(); }));
    auto* view = qobject_cast<ExpandedView*>(notch->expandedContent());
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(waitUntil([&] { return view->isVisible() && view->size() == view->sizeHint(); }))
        << view->size().width() << "x" << view->size().height() << " vs "
        << view->sizeHint().width() << "x" << view->sizeHint().height();
    EXPECT_EQ(view->width(), ExpandedView::kPromptCardWidth);
    ASSERT_NE(notch->panel(), nullptr);

    // Answering swaps in the list, and the notch follows the new size.
    view->promptCard()->perform(PromptAction::Kind::approve);
    ASSERT_TRUE(waitUntil([&] {
        return !view->isTransitioning() && view->width() == ExpandedView::kListCardWidth &&
               view->size() == view->sizeHint();
    }));
}

TEST_F(NotchKitHostingTest, TheWingsSitBesideTheNotch) {
    notice("engine");
    work("docs-site");
    auto notch = presenter();
    const auto compacted = notch->compact(screen());
    ASSERT_TRUE(waitUntil([&] { return compacted.isFinished(); }));
    auto* leading = notch->compactLeadingContent();
    auto* trailing = notch->compactTrailingContent();
    ASSERT_TRUE(waitUntil([&] { return leading->isVisible() && trailing->isVisible(); }));
    EXPECT_EQ(leading->width(), leading->sizeHint().width());
    EXPECT_EQ(trailing->width(), trailing->sizeHint().width());
    // Left of the notch's middle, and right of it.
    const QPoint middle = notch->panel()->rect().center();
    EXPECT_LT(leading->mapTo(notch->panel(), QPoint(leading->width(), 0)).x(), middle.x());
    EXPECT_GT(trailing->mapTo(notch->panel(), QPoint(0, 0)).x(), middle.x());
    EXPECT_EQ(qobject_cast<CompactTrailing*>(trailing)->sign(), CompactTrailing::Sign::working);
}
