#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "GuiTestSupport.h"
#include "Halvane/Notch/Components/IconBadge.h"
#include "Halvane/Theme/ClaudeMark.h"
#include "Halvane/Theme/NotchPalette.h"
#include "LogCapture.h"
#include "TempDir.h"

namespace halvane {
namespace {

using test::countPixels;
using test::describe;
using test::guiApplication;
using test::makeStage;
using test::near;
using test::render;
using test::stageColor;

const QString kMissing = QStringLiteral(":/no-such-logo");

QImage paintMark(const QString& resource, const QColor& color, int side = 48) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    ClaudeMark::paint(painter, QRectF(0, 0, side, side), color, resource);
    painter.end();
    return image;
}

bool opaque(const QColor& color) {
    return color.alpha() == 255;
}

TEST(ClaudeMarkTest, DrawsTheBundledArtworkAsATemplateInItsColour) {
    guiApplication();
    EXPECT_TRUE(ClaudeMark::hasArtwork(ClaudeMark::defaultResource()));
    const QColor colour = NotchPalette::accent();
    const QImage image = paintMark(ClaudeMark::defaultResource(), colour);
    const int inked = countPixels(image, image.rect(), opaque);
    EXPECT_GT(inked, 48 * 48 / 8) << "the mark should cover a fair part of its frame";
    // Template rendering: every fully covered pixel is exactly the colour asked for.
    EXPECT_EQ(countPixels(image, image.rect(),
                          [&](const QColor& c) { return opaque(c) && !near(c, colour, 1); }),
              0);
    const ClaudeMark mark(Qt::white);
    EXPECT_TRUE(mark.usesArtwork());
}

TEST(ClaudeMarkTest, BitmapArtworkIsTintedToo) {
    guiApplication();
    const test::TempDir dir("mark");
    QImage bitmap(20, 20, QImage::Format_ARGB32);
    bitmap.fill(Qt::transparent);
    QPainter(&bitmap).fillRect(QRect(0, 0, 10, 20), QColor(10, 200, 30));
    const QString path = QString::fromStdString((dir / "mark.png").string());
    ASSERT_TRUE(bitmap.save(path));

    EXPECT_TRUE(ClaudeMark::hasArtwork(path));
    const QImage image = paintMark(path, NotchPalette::accent(), 40);
    EXPECT_TRUE(near(image.pixelColor(10, 20), NotchPalette::accent(), 1));
    EXPECT_EQ(image.pixelColor(30, 20).alpha(), 0);
}

TEST(ClaudeMarkTest, WithoutTheResourceTheSparkleSymbolStandsIn) {
    guiApplication();
    test::LogCapture log;
    EXPECT_FALSE(ClaudeMark::hasArtwork(kMissing));
    const ClaudeMark mark(Qt::white, nullptr, kMissing);
    EXPECT_FALSE(mark.usesArtwork());

    const QImage fallback = paintMark(kMissing, Qt::white);
    const QImage artwork = paintMark(ClaudeMark::defaultResource(), Qt::white);
    const int fallbackInk = countPixels(fallback, fallback.rect(), opaque);
    EXPECT_GT(fallbackInk, 48 * 48 / 10) << "a mark still shows";
    int differing = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x) {
            differing += opaque(fallback.pixelColor(x, y)) != opaque(artwork.pixelColor(x, y));
        }
    }
    EXPECT_GT(differing, 100) << "the stand-in is the sparkle, not the artwork";

    // One clear line, not one a frame.
    paintMark(kMissing, Qt::white);
    const auto lines = log.lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.find("no-such-logo") != std::string::npos;
                            }),
              1);
}

TEST(IconBadgeTest, GeometryFollowsTheBadgeSize) {
    const auto forty = IconBadge::geometryFor(40, 10);
    EXPECT_DOUBLE_EQ(forty.shadowRadius, 16);
    EXPECT_EQ(forty.mark.size(), QSizeF(22, 22));
    EXPECT_EQ(forty.mark.center(), QPointF(20, 20));
    EXPECT_EQ(forty.badge, QRectF(0, 0, 40, 40));
    EXPECT_DOUBLE_EQ(forty.corner, 10);
    EXPECT_EQ(forty.shadowOffset, QPointF(0, 1));
    EXPECT_DOUBLE_EQ(forty.shadowOpacity, 0.45);

    const auto card = IconBadge::geometryFor(30, 8);
    EXPECT_DOUBLE_EQ(card.shadowRadius, 12);
    EXPECT_NEAR(card.mark.width(), 16.5, 1e-9);

    guiApplication();
    const IconBadge badge(30, 8);
    EXPECT_EQ(badge.sizeHint(), QSize(30, 30));
}

TEST(IconBadgeTest, RendersAnAccentBadgeWithAWhiteMarkAndAGlow) {
    auto stage = makeStage(80, 80);
    auto* badge = new IconBadge(40, 10, stage.get());
    badge->setGeometry(20, 20, 40, 40);
    const QImage image = render(*stage, "icon-badge-40");
    const QColor& accent = NotchPalette::accent();

    // The band between the mark and the badge's edge is the accent colour.
    for (const QPoint at : {QPoint(25, 40), QPoint(54, 40), QPoint(40, 25), QPoint(40, 55)}) {
        EXPECT_TRUE(near(image.pixelColor(at), accent))
            << at.x() << "," << at.y() << " " << describe(image.pixelColor(at));
    }
    // The mark is white inside its 22 × 22 frame and nowhere outside it.
    const QRect mark(29, 29, 22, 22);
    const auto white = [](const QColor& c) { return near(c, Qt::white, 8); };
    EXPECT_GT(countPixels(image, mark, white), 22 * 22 / 6);
    EXPECT_EQ(countPixels(image, QRect(20, 20, 40, 8), white), 0);

    // The glow tints the stage just outside the badge, more below than above
    // (it falls one point down), and is gone far away.
    const QColor below = image.pixelColor(40, 62);
    const QColor above = image.pixelColor(40, 17);
    EXPECT_GT(below.red(), stageColor().red() + 10) << describe(below);
    EXPECT_GE(below.red(), above.red());
    EXPECT_TRUE(near(image.pixelColor(1, 1), stageColor(), 1)) << describe(image.pixelColor(1, 1));
}

TEST(IconBadgeTest, ABuildWithoutTheArtworkStillShowsAMark) {
    auto stage = makeStage(40, 40);
    auto* badge = new IconBadge(30, 8, stage.get(), kMissing);
    badge->setGeometry(5, 5, 30, 30);
    EXPECT_FALSE(badge->usesArtwork());
    const QImage image = render(*stage, "icon-badge-fallback");
    const QRectF mark = badge->badgeGeometry().mark.translated(5, 5);
    EXPECT_GT(countPixels(image, mark.toAlignedRect(),
                          [](const QColor& c) { return near(c, Qt::white, 10); }),
              20);
    EXPECT_TRUE(near(image.pixelColor(9, 20), NotchPalette::accent()));
}

}  // namespace
}  // namespace halvane
