#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QLabel>

#include <cmath>

#include "GuiTestSupport.h"
#include "Halvane/Notch/Components/KeyHint.h"
#include "Halvane/Notch/Components/NotchCardBackground.h"
#include "Halvane/Notch/Components/StatusPill.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {
namespace {

using test::countPixels;
using test::describe;
using test::guiApplication;
using test::makeStage;
using test::near;
using test::over;
using test::render;
using test::stageColor;

#define EXPECT_PIXEL(image, x, y, expected)                                             \
    EXPECT_TRUE(near((image).pixelColor((x), (y)), (expected)))                         \
        << "at " << (x) << "," << (y) << ": " << describe((image).pixelColor((x), (y))) \
        << " instead of " << describe(expected)

TEST(KeyHintTest, SizeIsTheLabelPlusItsPadding) {
    guiApplication();
    const KeyHint hint(QStringLiteral("⌥A"));
    const QFontMetricsF metrics(NotchFonts::monospaced(10, QFont::DemiBold));
    EXPECT_EQ(hint.sizeHint().width(),
              static_cast<int>(std::ceil(metrics.horizontalAdvance("⌥A") + 10)));
    EXPECT_EQ(hint.sizeHint().height(), static_cast<int>(std::ceil(metrics.height() + 2)));

    KeyHint growing(QStringLiteral("A"));
    const int narrow = growing.sizeHint().width();
    growing.setLabel(QStringLiteral("⌥⇧A"));
    EXPECT_GT(growing.sizeHint().width(), narrow);
}

TEST(KeyHintTest, DrawsADarkKeyCapWithAFaintEdgeAndALightLabel) {
    auto stage = makeStage(40, 30);
    auto* hint = new KeyHint(QStringLiteral("A"), stage.get());
    hint->setGeometry(QRect(QPoint(10, 5), hint->sizeHint()));
    const QImage image = render(*stage, "key-hint");
    const QRect cap = hint->geometry();

    const QColor fill = over(QColor::fromRgbF(0, 0, 0, 0.45f), stageColor());
    const QColor edge = over(QColor::fromRgbF(1, 1, 1, 0.1f), fill);
    EXPECT_PIXEL(image, cap.left() + 2, cap.center().y(), fill);
    EXPECT_PIXEL(image, cap.center().x(), cap.top(), edge);
    EXPECT_PIXEL(image, cap.center().x(), cap.bottom(), edge);
    EXPECT_PIXEL(image, cap.left(), cap.center().y(), edge);
    // Rounded: the very corner shows the stage.
    EXPECT_PIXEL(image, cap.left(), cap.top(), stageColor());
    EXPECT_PIXEL(image, 2, 2, stageColor());
    // The label is light on the dark cap.
    EXPECT_GT(countPixels(image, cap,
                          [&](const QColor& c) { return c.lightness() > fill.lightness() + 100; }),
              8);
}

TEST(NotchCardBackgroundTest, PaintsTheGlassBehindItsContentWithoutAddingPadding) {
    auto stage = makeStage(200, 120);
    auto* content = new QLabel(QStringLiteral("content"));
    content->setContentsMargins(14, 14, 14, 14);
    auto* card = new NotchCardBackground(content, stage.get());
    card->setGeometry(10, 10, 180, 100);
    EXPECT_EQ(card->content(), content);
    const QImage image = render(*stage, "card-background");
    EXPECT_EQ(content->geometry(), QRect(0, 0, 180, 100));

    const QColor fill = over(NotchPalette::cardFill(), stageColor());
    const QColor edge = over(NotchPalette::cardStroke(), fill);
    EXPECT_PIXEL(image, 150, 80, fill);
    EXPECT_PIXEL(image, 100, 10, edge);
    EXPECT_PIXEL(image, 189, 60, edge);
    EXPECT_PIXEL(image, 100, 11, fill);
    // Corners are rounded with a 16-point radius.
    EXPECT_PIXEL(image, 11, 11, stageColor());
    EXPECT_PIXEL(image, 13, 13, stageColor());
    EXPECT_PIXEL(image, 20, 20, fill);

    auto* replacement = new QLabel(QStringLiteral("other"));
    card->setContent(replacement);
    EXPECT_EQ(card->content(), replacement);
    EXPECT_TRUE(content->isHidden());
}

TEST(StatusPillTest, SizeIsSymbolSpacingAndTextInsideItsPadding) {
    guiApplication();
    const StatusPill pill(QStringLiteral("Installed"), NotchPalette::systemGreen(), Icon::check);
    const QFontMetricsF metrics(NotchFonts::rounded(11, QFont::DemiBold));
    const qreal width = 9 + 9 + 4 + metrics.horizontalAdvance("Installed") + 9;
    const qreal height = 4 + std::max<qreal>(9, metrics.height()) + 4;
    EXPECT_EQ(pill.sizeHint(),
              QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height))));
}

TEST(StatusPillTest, DrawsATintedCapsuleWithSymbolAndTextInItsColour) {
    auto stage = makeStage(120, 40);
    const QColor green = NotchPalette::systemGreen();
    auto* pill = new StatusPill(QStringLiteral("Granted"), green, Icon::check, stage.get());
    pill->setGeometry(QRect(QPoint(8, 8), pill->sizeHint()));
    const QImage image = render(*stage, "status-pill");
    const QRect frame = pill->geometry();

    const QColor tint = over(NotchPalette::withOpacity(green, 0.18), stageColor());
    EXPECT_PIXEL(image, frame.left() + 4, frame.center().y(), tint);
    EXPECT_PIXEL(image, frame.right() - 4, frame.center().y(), tint);
    EXPECT_PIXEL(image, frame.center().x(), frame.top(), tint);
    // A capsule: its corners are cut away.
    EXPECT_PIXEL(image, frame.left(), frame.top(), stageColor());
    EXPECT_PIXEL(image, frame.right(), frame.bottom(), stageColor());
    // The symbol sits in the leading 9 points after the padding, the text after it.
    const auto inGreen = [&](const QColor& c) { return near(c, green, 20); };
    const QRect symbol(frame.left() + 9, frame.top(), 9, frame.height());
    const QRect text(frame.left() + 22, frame.top(), frame.width() - 31, frame.height());
    EXPECT_GT(countPixels(image, symbol, inGreen), 4);
    EXPECT_GT(countPixels(image, text, inGreen), 15);
}

TEST(NotchShapesTest, ContinuousCornersEaseInFartherAlongTheEdgeThanACircle) {
    const QRectF rect(0, 0, 100, 80);
    const QPainterPath continuous = NotchShapes::continuousRoundedRect(rect, 20);
    QPainterPath circular;
    circular.addRoundedRect(rect, 20, 20);
    EXPECT_EQ(continuous.boundingRect(), rect);
    EXPECT_TRUE(continuous.contains(QPointF(50, 0.5)));
    EXPECT_FALSE(continuous.contains(QPointF(2, 2)));
    // Past the radius a circular corner has already reached the straight edge;
    // a continuous one is still curving in.
    EXPECT_TRUE(circular.contains(QPointF(18, 0.25)));
    EXPECT_FALSE(continuous.contains(QPointF(18, 0.25)));
    // Too little room for the eased corner: the largest circular one instead.
    const QPainterPath tight = NotchShapes::continuousRoundedRect(QRectF(0, 0, 60, 20), 20);
    EXPECT_TRUE(tight.contains(QPointF(10, 10)));
    EXPECT_FALSE(tight.contains(QPointF(1, 1)));
    EXPECT_TRUE(tight.contains(QPointF(30, 0.5)));
}

}  // namespace
}  // namespace halvane
