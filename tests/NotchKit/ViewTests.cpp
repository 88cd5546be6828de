// What the panel draws in each state: the surface's size, place and corners,
// the wings, the shadow, the floating card, the pixels of a render and the
// input region that follows the visible shape.
#include <QImage>
#include <QLabel>

#include "NotchKit/NotchContentView.h"
#include "NotchKit/NotchEnvironment.h"
#include "NotchKit/NotchPanel.h"
#include "NotchKit/NotchSlot.h"
#include "NotchKit/NotchView.h"
#include "NotchKit/NotchlessMetrics.h"
#include "NotchKit/NotchlessView.h"
#include "PresenterFixture.h"

using namespace notchkit;
using namespace notchkit::test;

namespace {

class Views : public PresenterFixture {
protected:
    NotchContentView* content(NotchPresenter& presenter) {
        return presenter.panel() ? presenter.panel()->contentView() : nullptr;
    }
    // Waits for the springs to come to rest.
    bool settled(NotchPresenter& presenter) {
        return waitUntil([&] {
            auto* view = content(presenter);
            return view != nullptr && !view->isAnimating();
        });
    }
    NotchView* notchView(NotchPresenter& presenter) {
        return qobject_cast<NotchView*>(content(presenter)->formView());
    }
};

// Holds the window open after a hide, so the hidden form can be looked at.
NotchTimings lingering() {
    NotchTimings timings = quickTimings();
    timings.closeDelay = std::chrono::seconds(30);
    return timings;
}

}  // namespace

TEST_F(Views, ExpandedNotchIsABlackCardBelowTheNotch) {
    useNotch();
    auto presenter = makePresenter({}, NotchStyle::notch(15, 20));
    ASSERT_TRUE(finished(presenter->expand(screen())));
    ASSERT_TRUE(settled(*presenter));
    NotchView* view = notchView(*presenter);
    ASSERT_NE(view, nullptr);
    const QRectF surface = view->surfaceRect();
    const double panelWidth = presenter->panel()->width();
    EXPECT_NEAR(surface.width(), 300 + 30 + 30, 0.01);
    EXPECT_NEAR(surface.height(), 80 + 32 + 15, 0.01);
    EXPECT_NEAR(surface.center().x(), panelWidth / 2, 0.01);
    EXPECT_NEAR(surface.top(), 0, 0.01);
    EXPECT_NEAR(view->currentShape().topCornerRadius(), 15, 0.01);
    EXPECT_NEAR(view->currentShape().bottomCornerRadius(), 20, 0.01);

    // The content starts below the hardware notch, inset by 15 at the sides.
    QWidget* expanded = presenter->expandedContent();
    const QPoint origin = expanded->mapTo(presenter->panel(), QPoint(0, 0));
    EXPECT_EQ(origin.y(), 32);
    EXPECT_NEAR(origin.x(), surface.left() + 15 + 15, 1);

    const NotchShadow shadow = content(*presenter)->currentShadow();
    EXPECT_NEAR(shadow.opacity, 0.5, 0.001);
    EXPECT_NEAR(shadow.radius, 10, 0.01);
}

TEST_F(Views, RenderIsBlackOnTheShapeAndTransparentAround) {
    useNotch();
    auto presenter = makePresenter();
    ASSERT_TRUE(finished(presenter->expand(screen())));
    ASSERT_TRUE(settled(*presenter));
    const QImage image = presenter->panel()->grab().toImage();
    const QRectF surface = notchView(*presenter)->surfaceRect();
    // Inside the card, clear of its content.
    const QColor inside =
        image.pixelColor(QPointF(surface.left() + 20, surface.top() + 5).toPoint());
    EXPECT_EQ(inside.alpha(), 255);
    EXPECT_LT(inside.value(), 10);
    // The ear flares out along the top edge; below it the corner is open.
    EXPECT_GT(image.pixelColor(QPointF(surface.left() + 8, 0).toPoint()).alpha(), 200);
    EXPECT_LT(image.pixelColor(QPointF(surface.left() + 2, 12).toPoint()).alpha(), 128);
    // The shadow darkens just below the card, and nothing is drawn far away.
    EXPECT_GT(
        image.pixelColor(QPointF(surface.center().x(), surface.bottom() + 4).toPoint()).alpha(), 0);
    EXPECT_EQ(image.pixelColor(2, image.height() - 2).alpha(), 0);
    EXPECT_EQ(
        image.pixelColor(QPointF(surface.center().x(), surface.bottom() + 40).toPoint()).alpha(),
        0);
}

TEST_F(Views, InputRegionFollowsTheVisibleShape) {
    useNotch();
    auto presenter = makePresenter();
    ASSERT_TRUE(finished(presenter->expand(screen())));
    ASSERT_TRUE(settled(*presenter));
    const QRegion region = presenter->panel()->inputRegion();
    const QRectF surface = notchView(*presenter)->surfaceRect();
    EXPECT_TRUE(region.contains(surface.center().toPoint()));
    EXPECT_FALSE(region.contains(QPoint(2, 2)));
    EXPECT_FALSE(region.contains(QPointF(surface.center().x(), surface.bottom() + 10).toPoint()));
    EXPECT_FALSE(region.contains(QPointF(surface.left() + 2, surface.bottom() - 2).toPoint()));
    EXPECT_LE(region.boundingRect().width(), surface.width() + 1);
}

TEST_F(Views, HiddenSurfaceIsTheNotchPlusTwelveWithSmallCorners) {
    useNotch();
    auto presenter = makePresenter({}, NotchStyle::automatic(), lingering());
    ASSERT_TRUE(finished(presenter->expand(screen())));
    presenter->hide();
    ASSERT_TRUE(settled(*presenter));
    NotchView* view = notchView(*presenter);
    EXPECT_NEAR(view->surfaceRect().width(), 212, 0.01);
    EXPECT_NEAR(view->surfaceRect().height(), 32, 0.01);
    EXPECT_NEAR(view->currentShape().topCornerRadius(), 6, 0.01);
    EXPECT_NEAR(view->currentShape().bottomCornerRadius(), 14, 0.01);
    const NotchShadow shadow = content(*presenter)->currentShadow();
    EXPECT_DOUBLE_EQ(shadow.opacity, 0);
    EXPECT_DOUBLE_EQ(shadow.radius, 0);
    EXPECT_FALSE(view->expandedSlot()->isVisible());
}

TEST_F(Views, CompactWingsAreMeasuredAndTheNotchStaysCentred) {
    useNotch();
    auto presenter = makePresenter(NotchHoverOption::increaseShadow);
    ASSERT_TRUE(finished(presenter->compact(screen())));
    ASSERT_TRUE(settled(*presenter));
    NotchView* view = notchView(*presenter);
    // Content plus the 8-point outer inset.
    EXPECT_DOUBLE_EQ(view->compactLeadingWidth(), 38);
    EXPECT_DOUBLE_EQ(view->compactTrailingWidth(), 58);
    const double centre = presenter->panel()->width() / 2.0;
    EXPECT_NEAR(view->surfaceRect().width(), 38 + 200 + 58 + 12, 0.01);
    EXPECT_NEAR(view->surfaceRect().center().x(), centre + 10, 0.01);
    // The wings sit right beside the notch.
    EXPECT_EQ(view->compactLeadingSlot()->geometry().right() + 1, static_cast<int>(centre - 100));
    EXPECT_EQ(view->compactTrailingSlot()->geometry().left(), static_cast<int>(centre + 100));
    EXPECT_EQ(NotchEnvironment::notchSection(presenter->compactLeadingContent()),
              NotchSection::compactLeading);
    EXPECT_EQ(NotchEnvironment::notchSection(presenter->compactTrailingContent()),
              NotchSection::compactTrailing);
    EXPECT_TRUE(NotchEnvironment::notchStyle(presenter->compactLeadingContent()).isNotch());

    presenter->updateHoverState(true);
    ASSERT_TRUE(settled(*presenter));
    const NotchShadow shadow = content(*presenter)->currentShadow();
    EXPECT_NEAR(shadow.opacity, 0.8, 0.001);
    EXPECT_NEAR(shadow.radius, 20, 0.01);
}

TEST_F(Views, ADisabledLeadingWingShiftsTheNotchByHalfTheTrailingWing) {
    useNotch();
    auto presenter = makePresenter();
    presenter->setDisableCompactLeading(true);
    ASSERT_TRUE(finished(presenter->compact(screen())));
    ASSERT_TRUE(settled(*presenter));
    NotchView* view = notchView(*presenter);
    EXPECT_DOUBLE_EQ(view->compactLeadingWidth(), 0);
    EXPECT_FALSE(view->compactLeadingSlot()->isVisible());
    EXPECT_NEAR(view->surfaceRect().center().x(), presenter->panel()->width() / 2.0 + 29, 0.01);
}

TEST_F(Views, FloatingCardHangsBelowTheMenuBarAndLeavesUpwards) {
    auto presenter = makePresenter({}, NotchStyle::automatic(), lingering());
    ASSERT_TRUE(finished(presenter->expand(screen())));
    ASSERT_TRUE(settled(*presenter));
    auto* view = qobject_cast<NotchlessView*>(content(*presenter)->formView());
    ASSERT_NE(view, nullptr);
    const double menubar = presenter->notchSize().height();
    EXPECT_NEAR(view->cardRect().top(), menubar + NotchlessMetrics::topGap, 0.01);
    EXPECT_NEAR(view->cardRect().width(), 330, 0.01);
    EXPECT_NEAR(view->windowHeight(), 80 + 30 + 40, 0.01);
    EXPECT_EQ(NotchEnvironment::notchStyle(presenter->expandedContent()), NotchStyle::floating(20));
    // Dark glass whatever the desktop's theme, with white text on it; nearly
    // opaque where a compositor blends it, opaque where none does.
    EXPECT_EQ(presenter->expandedContent()->palette().color(QPalette::WindowText),
              QColor(Qt::white));
    const QPoint inside = view->cardRect().center().toPoint() + QPoint(0, 40);
    const QColor glass = presenter->panel()->grab().toImage().pixelColor(inside);
    EXPECT_GT(glass.alpha(), 230);
    EXPECT_LT(glass.lightnessF(), 0.1);
    content(*presenter)->setCompositing(false);
    const QColor opaque = presenter->panel()->grab().toImage().pixelColor(inside);
    EXPECT_EQ(opaque.alpha(), 255);
    EXPECT_LT(opaque.lightnessF(), 0.1);

    presenter->hide();
    ASSERT_TRUE(settled(*presenter));
    EXPECT_NEAR(view->cardRect().bottom(), 0 + 20 - view->windowHeight(), 0.01);
    EXPECT_TRUE(view->surfacePath().isEmpty());
    EXPECT_TRUE(presenter->panel()->inputRegion().isEmpty());
}

TEST_F(Views, FloatingPillHoldsBothWingsAndOpensIntoTheCard) {
    auto presenter = makePresenter({}, NotchStyle::automatic(), lingering());
    ASSERT_TRUE(finished(presenter->compact(screen())));
    ASSERT_TRUE(settled(*presenter));
    auto* view = qobject_cast<NotchlessView*>(content(*presenter)->formView());
    ASSERT_NE(view, nullptr);
    const QRectF pill = view->cardRect();
    // The wings (30 and 50 wide) with their insets, side by side, on a capsule
    // just below the top of the work area.
    EXPECT_NEAR(pill.width(), 30 + 12 + 50 + 14, 0.01);
    EXPECT_NEAR(pill.height(), NotchlessMetrics::pillHeight, 0.01);
    EXPECT_NEAR(pill.top(), presenter->notchSize().height() + NotchlessMetrics::topGap, 0.01);
    EXPECT_NEAR(pill.center().x(), presenter->panel()->width() / 2.0, 0.01);
    EXPECT_TRUE(view->compactLeadingSlot()->isVisible());
    EXPECT_TRUE(view->compactTrailingSlot()->isVisible());
    EXPECT_FALSE(view->expandedSlot()->isVisible());
    EXPECT_TRUE(pill.contains(view->compactLeadingSlot()->geometry().center()));
    EXPECT_TRUE(pill.contains(view->compactTrailingSlot()->geometry().center()));
    EXPECT_LT(view->compactLeadingSlot()->geometry().center().x(),
              view->compactTrailingSlot()->geometry().center().x());
    EXPECT_EQ(NotchEnvironment::notchSection(presenter->compactTrailingContent()),
              NotchSection::compactTrailing);
    EXPECT_EQ(presenter->panel()->inputRegion().boundingRect(), pill.toAlignedRect());

    ASSERT_TRUE(finished(presenter->expand(screen())));
    ASSERT_TRUE(settled(*presenter));
    // Hanging from the same edge: a pointer on the pill is on the card too.
    EXPECT_NEAR(view->cardRect().top(), pill.top(), 0.01);
    EXPECT_TRUE(view->cardRect().contains(pill.center()));
    EXPECT_FALSE(view->compactLeadingSlot()->isVisible());
    EXPECT_TRUE(view->expandedSlot()->isVisible());
}

TEST_F(Views, WingContentThatGrowsWidensTheWing) {
    useNotch();
    QLabel* trailing = nullptr;
    NotchPresenter presenter(
        {}, NotchStyle::automatic(), [] { return block(100, 40); }, [] { return block(20, 16); },
        [&] {
            trailing = new QLabel(QStringLiteral("1"));
            return trailing;
        },
        quickTimings());
    ASSERT_TRUE(finished(presenter.compact(screen())));
    ASSERT_TRUE(settled(presenter));
    auto* view = qobject_cast<NotchView*>(presenter.panel()->contentView()->formView());
    const double before = view->compactTrailingWidth();
    trailing->setText(QStringLiteral("a much longer label"));
    ASSERT_TRUE(waitUntil([&] { return view->compactTrailingWidth() > before + 20; }));
    ASSERT_TRUE(settled(presenter));
    EXPECT_NEAR(view->surfaceRect().width(),
                view->compactLeadingWidth() + 200 + view->compactTrailingWidth() + 12, 0.01);
}
