// The numbers of the notch: outline, sizes, offsets, radii and shadows per
// state, the floating card, and what a screen reports.
#include <gtest/gtest.h>

#include <QPainterPath>

#include <vector>

#include "NotchKit/NotchHoverBehavior.h"
#include "NotchKit/NotchScreen.h"
#include "NotchKit/NotchShadow.h"
#include "NotchKit/NotchShape.h"
#include "NotchKit/NotchState.h"
#include "NotchKit/NotchStyle.h"
#include "NotchKit/NotchViewMetrics.h"
#include "NotchKit/NotchlessMetrics.h"

using namespace notchkit;

namespace {

std::vector<QPointF> onCurvePoints(const QPainterPath& path) {
    std::vector<QPointF> points;
    for (int i = 0; i < path.elementCount(); ++i) {
        const auto element = path.elementAt(i);
        if (element.type == QPainterPath::CurveToElement) {
            // A curve's end point is the second of its two data elements.
            points.emplace_back(path.elementAt(i + 2).x, path.elementAt(i + 2).y);
            i += 2;
        } else {
            points.emplace_back(element.x, element.y);
        }
    }
    return points;
}

NotchViewInputs inputs(NotchState state) {
    NotchViewInputs in;
    in.state = state;
    in.notchSize = QSizeF(200, 32);
    in.menubarHeight = 38;
    in.configuredStyle = NotchStyle::notch(15, 20);
    in.compactLeadingWidth = 40;
    in.compactTrailingWidth = 40;
    in.expandedContentSize = QSizeF(300, 100);
    return in;
}

}  // namespace

TEST(NotchShape, PathRunsThroughTheOutlinePointsInOrder) {
    const QRectF rect(10, 0, 300, 80);
    const NotchShape shape(15, 20);
    const auto points = onCurvePoints(shape.path(rect));
    const std::vector<QPointF> expected{
        {10, 0}, {25, 15}, {25, 60}, {45, 80}, {275, 80}, {295, 60}, {295, 15}, {310, 0}, {10, 0},
    };
    ASSERT_GE(points.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(points[i].x(), expected[i].x(), 1e-9) << "point " << i;
        EXPECT_NEAR(points[i].y(), expected[i].y(), 1e-9) << "point " << i;
    }
}

TEST(NotchShape, CornersAreQuadraticsAboutTheGivenControlPoints) {
    // Qt stores a quadratic as a cubic whose first control point lies two
    // thirds of the way from the start to the quadratic's control point.
    const QPainterPath path = NotchShape(15, 20).path(QRectF(0, 0, 300, 80));
    const auto firstControl = path.elementAt(1);
    EXPECT_NEAR(firstControl.x, 10, 1e-9);  // (0,0) + 2/3 * ((15,0) - (0,0))
    EXPECT_NEAR(firstControl.y, 0, 1e-9);
}

TEST(NotchShape, EarsFlareOutAndBottomCornersAreRounded) {
    const QPainterPath path = NotchShape(15, 20).path(QRectF(0, 0, 300, 80));
    EXPECT_TRUE(path.contains(QPointF(150, 40)));
    EXPECT_TRUE(path.contains(QPointF(8, 1)));     // the ear meets the top edge
    EXPECT_FALSE(path.contains(QPointF(8, 3)));    // and curves in below it
    EXPECT_FALSE(path.contains(QPointF(5, 40)));   // below the ear the side is inset
    EXPECT_FALSE(path.contains(QPointF(16, 79)));  // rounded bottom-left corner
    EXPECT_TRUE(path.contains(QPointF(150, 79.5)));
    EXPECT_NEAR(path.boundingRect().width(), 300, 1e-9);
}

TEST(NotchViewMetrics, HiddenSurfaceShrinksIntoTheNotch) {
    const auto m = NotchViewMetrics::compute(inputs(NotchState::hidden));
    EXPECT_DOUBLE_EQ(m.minWidth, 212);
    EXPECT_DOUBLE_EQ(m.surfaceSize.width(), 212);
    EXPECT_DOUBLE_EQ(m.surfaceSize.height(), 32);
    EXPECT_DOUBLE_EQ(m.topCornerRadius, 6);
    EXPECT_DOUBLE_EQ(m.bottomCornerRadius, 14);
    EXPECT_DOUBLE_EQ(m.xOffset, 0);
}

TEST(NotchViewMetrics, CompactWingsSitBesideTheNotchAndKeepItCentred) {
    auto in = inputs(NotchState::compact);
    auto m = NotchViewMetrics::compute(in);
    EXPECT_DOUBLE_EQ(m.compactXOffset, 0);
    EXPECT_DOUBLE_EQ(m.surfaceSize.width(), 40 + 200 + 40 + 12);
    EXPECT_DOUBLE_EQ(m.surfaceSize.height(), 32);
    EXPECT_DOUBLE_EQ(m.minWidth, 212);
    EXPECT_DOUBLE_EQ(m.horizontalPadding, 6);

    in.compactLeadingWidth = 0;  // a disabled leading wing
    m = NotchViewMetrics::compute(in);
    EXPECT_DOUBLE_EQ(m.compactXOffset, 20);
    EXPECT_DOUBLE_EQ(m.xOffset, 20);

    // Hovering lifts the row to the menu bar's height.
    in.isHovering = true;
    m = NotchViewMetrics::compute(in);
    EXPECT_DOUBLE_EQ(m.compactRowHeight, 38);
    EXPECT_DOUBLE_EQ(m.surfaceSize.height(), 38);
}

TEST(NotchViewMetrics, OffsetAppliesOnlyWhileCompact) {
    auto in = inputs(NotchState::expanded);
    in.compactLeadingWidth = 10;
    in.compactTrailingWidth = 70;
    const auto m = NotchViewMetrics::compute(in);
    EXPECT_DOUBLE_EQ(m.compactXOffset, 30);
    EXPECT_DOUBLE_EQ(m.xOffset, 0);
}

TEST(NotchViewMetrics, ExpandedCardTakesTheStyleRadiiAndItsInsets) {
    auto in = inputs(NotchState::expanded);
    auto m = NotchViewMetrics::compute(in);
    EXPECT_DOUBLE_EQ(m.minWidth, 230);
    EXPECT_DOUBLE_EQ(m.topCornerRadius, 15);
    EXPECT_DOUBLE_EQ(m.bottomCornerRadius, 20);
    EXPECT_DOUBLE_EQ(m.horizontalPadding, 15);
    EXPECT_DOUBLE_EQ(m.cardSize.width(), 330);
    EXPECT_DOUBLE_EQ(m.cardSize.height(), 100 + 32 + 15);
    EXPECT_DOUBLE_EQ(m.surfaceSize.width(), 330 + 30);
    EXPECT_DOUBLE_EQ(m.surfaceSize.height(), 147);

    // Small content still leaves the card at least notch + 2 * top radius wide.
    in.expandedContentSize = QSizeF(20, 10);
    m = NotchViewMetrics::compute(in);
    EXPECT_DOUBLE_EQ(m.cardSize.width(), 200);
    EXPECT_DOUBLE_EQ(m.surfaceSize.width(), 230);

    in.configuredStyle = NotchStyle::notch(10, 8);
    m = NotchViewMetrics::compute(in);
    EXPECT_DOUBLE_EQ(m.minWidth, 220);
    EXPECT_DOUBLE_EQ(m.topCornerRadius, 10);
    EXPECT_DOUBLE_EQ(m.bottomCornerRadius, 8);

    in.configuredStyle = NotchStyle::automatic();
    m = NotchViewMetrics::compute(in);
    EXPECT_DOUBLE_EQ(m.minWidth, 230);
    EXPECT_DOUBLE_EQ(m.topCornerRadius, 15);
    EXPECT_DOUBLE_EQ(m.bottomCornerRadius, 20);
}

TEST(NotchShadow, FollowsStateAndHover) {
    const auto strong = NotchHoverOption::increaseShadow;
    const auto hidden = NotchShadow::compute(strong, true, NotchState::hidden);
    EXPECT_DOUBLE_EQ(hidden.radius, 0);
    const auto hiddenPlain = NotchShadow::compute({}, false, NotchState::hidden);
    EXPECT_DOUBLE_EQ(hiddenPlain.opacity, 0);
    EXPECT_DOUBLE_EQ(hiddenPlain.radius, 0);
    const auto hovered = NotchShadow::compute(strong, true, NotchState::compact);
    EXPECT_DOUBLE_EQ(hovered.opacity, 0.8);
    EXPECT_DOUBLE_EQ(hovered.radius, 20);
    const auto compact = NotchShadow::compute(strong, false, NotchState::compact);
    EXPECT_DOUBLE_EQ(compact.opacity, 0);
    EXPECT_DOUBLE_EQ(compact.radius, 10);
    const auto expanded =
        NotchShadow::compute(NotchHoverOption::keepVisible, true, NotchState::expanded);
    EXPECT_DOUBLE_EQ(expanded.opacity, 0.5);
    EXPECT_DOUBLE_EQ(expanded.radius, 10);
}

TEST(NotchlessMetrics, CardAndPillHangBelowTheMenuBarOrHideAboveTheTop) {
    const auto expanded = NotchlessMetrics::compute(NotchState::expanded, NotchStyle::floating(12),
                                                    25, QSizeF(300, 60), QSizeF(120, 20));
    EXPECT_DOUBLE_EQ(expanded.cornerRadius, 12);
    EXPECT_DOUBLE_EQ(expanded.cardSize.width(), 330);
    EXPECT_DOUBLE_EQ(expanded.cardSize.height(), 90);
    EXPECT_DOUBLE_EQ(expanded.frameSize.height(), 130);
    // The card's top: the frame's offset plus its padding.
    EXPECT_DOUBLE_EQ(expanded.yOffset + NotchlessMetrics::outerPadding,
                     25 + NotchlessMetrics::topGap);

    const auto compact = NotchlessMetrics::compute(NotchState::compact, NotchStyle::floating(12),
                                                   25, QSizeF(300, 60), QSizeF(120, 20));
    EXPECT_EQ(compact.cardSize, QSizeF(120, NotchlessMetrics::pillHeight));
    EXPECT_DOUBLE_EQ(compact.cornerRadius, NotchlessMetrics::pillHeight / 2);
    EXPECT_DOUBLE_EQ(compact.yOffset, expanded.yOffset);
    const auto tall = NotchlessMetrics::compute(NotchState::compact, NotchStyle::automatic(), 25,
                                                QSizeF(300, 60), QSizeF(120, 40));
    EXPECT_DOUBLE_EQ(tall.cardSize.height(), 40);

    const auto hidden =
        NotchlessMetrics::compute(NotchState::hidden, NotchStyle::automatic(), 25, QSizeF(300, 60));
    EXPECT_DOUBLE_EQ(hidden.cornerRadius, 20);
    EXPECT_DOUBLE_EQ(hidden.yOffset, -hidden.frameSize.height());
    EXPECT_LT(hidden.yOffset + hidden.frameSize.height(), 0.5);
}

TEST(NotchScreen, WithoutANotchTheRectangleIs300WideAndMenuBarTall) {
    const NotchScreenGeometry screen{QRectF(0, 0, 1440, 900), QRectF(0, 25, 1440, 875),
                                     std::nullopt};
    EXPECT_EQ(NotchScreen::notchFrameWithTopBarAsBackup(screen), QRectF(570, 0, 300, 25));
    EXPECT_DOUBLE_EQ(NotchScreen::menubarHeight(screen), 25);
    EXPECT_EQ(NotchScreen::effectiveStyle(NotchStyle::automatic(), screen),
              NotchStyle::floating(20));
    EXPECT_EQ(NotchScreen::effectiveStyle(NotchStyle::notch(9, 9), screen),
              NotchStyle::notch(9, 9));
}

TEST(NotchScreen, ANotchSitsAtTheTopCentreOfItsScreen) {
    const NotchScreenGeometry screen{QRectF(1920, 0, 1512, 982), QRectF(1920, 0, 1512, 982),
                                     QSizeF(200, 32)};
    EXPECT_EQ(NotchScreen::notchFrameWithTopBarAsBackup(screen), QRectF(2576, 0, 200, 32));
    EXPECT_DOUBLE_EQ(NotchScreen::menubarHeight(screen), 32);
    EXPECT_EQ(NotchScreen::effectiveStyle(NotchStyle::automatic(), screen),
              NotchStyle::notch(15, 20));
    EXPECT_EQ(NotchScreen::effectiveStyle(NotchStyle::floating(7), screen),
              NotchStyle::floating(7));
}

TEST(NotchScreen, NotchSizeMustBeWidthByHeight) {
    EXPECT_EQ(NotchScreen::parseNotchSize("200x32"), QSizeF(200, 32));
    EXPECT_EQ(NotchScreen::parseNotchSize(" 180x38 "), QSizeF(180, 38));
    EXPECT_FALSE(NotchScreen::parseNotchSize("200"));
    EXPECT_FALSE(NotchScreen::parseNotchSize("0x32"));
    EXPECT_FALSE(NotchScreen::parseNotchSize("200x-3"));
    EXPECT_FALSE(NotchScreen::parseNotchSize("wide"));
}

TEST(NotchTypes, StylesCompareByCaseAndPayload) {
    EXPECT_EQ(NotchStyle::automatic(), NotchStyle::automatic());
    EXPECT_EQ(NotchStyle::notch(), NotchStyle::notch(15, 20));
    EXPECT_NE(NotchStyle::notch(15, 20), NotchStyle::notch(15, 21));
    EXPECT_NE(NotchStyle::floating(20), NotchStyle::notch(20, 0));
    EXPECT_EQ(NotchStyle::floating().cornerRadius(), 20);
}

TEST(NotchTypes, HoverBehaviourAllHoldsEveryOption) {
    const NotchHoverBehavior all = NotchHoverOption::all;
    for (const auto option : {NotchHoverOption::keepVisible, NotchHoverOption::increaseShadow}) {
        EXPECT_TRUE(all.testFlag(option));
    }
    const NotchHoverBehavior some = NotchHoverOption::keepVisible;
    EXPECT_FALSE(some.testFlag(NotchHoverOption::increaseShadow));
}
