#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QMetaEnum>
#include <QPainter>

#include <set>
#include <string>

#include "GuiTestSupport.h"
#include "Halvane/Theme/IconGlyphs.h"
#include "Halvane/Theme/NotchFonts.h"

namespace halvane {
namespace {

using test::countPixels;
using test::guiApplication;

QImage drawIcon(Icon icon, qreal pointSize, QFont::Weight weight) {
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    IconGlyphs::draw(painter, icon, QRectF(0, 0, 64, 64), pointSize, weight, Qt::white);
    return image;
}

bool inked(const QColor& color) {
    return color.alpha() > 128;
}

// The smallest rectangle holding every clearly inked pixel.
QRect inkBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (inked(image.pixelColor(x, y))) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

TEST(IconGlyphsTest, EveryIconHasAGlyphOfItsOwnAndGoesByItsName) {
    guiApplication();
    ASSERT_TRUE(IconGlyphs::fontAvailable())
        << "install fonts-material-design-icons-iconfont (scripts/install-deps)";
    const QMetaEnum icons = QMetaEnum::fromType<Icon>();
    std::set<char16_t> seen;
    for (int index = 0; index < icons.keyCount(); ++index) {
        const auto icon = static_cast<Icon>(icons.value(index));
        SCOPED_TRACE(icons.key(index));
        EXPECT_TRUE(seen.insert(IconGlyphs::codepoint(icon)).second) << "shares a glyph";
        EXPECT_TRUE(IconGlyphs::fontHasGlyph(IconGlyphs::codepoint(icon)));
        EXPECT_EQ(IconGlyphs::fromName(IconGlyphs::name(icon).toStdString()), icon);
    }
    EXPECT_FALSE(IconGlyphs::fromName("checkmark.circle.fill"));
    EXPECT_FALSE(IconGlyphs::fromName(""));
}

TEST(IconGlyphsTest, AnIconIsCentredInItsBoxAtAboutItsPointSize) {
    guiApplication();
    for (const auto icon : {Icon::checkCircle, Icon::pause, Icon::close}) {
        SCOPED_TRACE(IconGlyphs::name(icon).toStdString());
        const QRect ink = inkBounds(drawIcon(icon, 24, QFont::Normal));
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_NEAR(ink.center().x() + 0.5, 32, 2);
        EXPECT_NEAR(ink.center().y() + 0.5, 32, 2);
        EXPECT_LE(std::max(ink.width(), ink.height()), 26);
        EXPECT_GE(std::max(ink.width(), ink.height()), 14);
    }
}

TEST(IconGlyphsTest, HeavierWeightsDrawThickerStrokes) {
    guiApplication();
    const auto regular = drawIcon(Icon::check, 24, QFont::Normal);
    const auto bold = drawIcon(Icon::check, 24, QFont::Bold);
    const int regularInk = countPixels(regular, regular.rect(), inked);
    const int boldInk = countPixels(bold, bold.rect(), inked);
    EXPECT_GT(regularInk, 0);
    EXPECT_GT(boldInk, regularInk * 1.15) << regularInk << " vs " << boldInk;
}

TEST(IconGlyphsTest, ANameThatIsNoIconsDrawsAVisibleStandIn) {
    guiApplication();
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    IconGlyphs::drawStandIn(painter, "no.such.icon", QRectF(0, 0, 64, 64), 24, Qt::white);
    painter.end();
    const QRect ink = inkBounds(image);
    EXPECT_GT(countPixels(image, image.rect(), inked), 40);
    EXPECT_GE(ink.width(), 20);
    EXPECT_NEAR(ink.center().x() + 0.5, 32, 2);
}

TEST(NotchFontsTest, UsesInterAndJetBrainsMonoAtOnePixelPerPoint) {
    guiApplication();
    EXPECT_EQ(NotchFonts::systemFamily(), "Inter") << "install fonts-inter";
    EXPECT_EQ(NotchFonts::monospacedFamily(), "JetBrains Mono") << "install fonts-jetbrains-mono";

    const QFontInfo system(NotchFonts::system(13, QFont::DemiBold));
    EXPECT_EQ(system.family(), "Inter");
    EXPECT_EQ(system.pixelSize(), 13);
    EXPECT_EQ(system.weight(), QFont::DemiBold);
    EXPECT_EQ(NotchFonts::rounded(11).family(), "Inter");

    const QFont mono = NotchFonts::monospaced(11, QFont::Bold);
    EXPECT_EQ(QFontInfo(mono).family(), "JetBrains Mono");
    EXPECT_TRUE(QFontInfo(mono).fixedPitch());
    const QFontMetricsF metrics(mono);
    EXPECT_DOUBLE_EQ(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W'));

    // Fractional sizes stay fractional rather than rounding to whole pixels.
    EXPECT_GT(QFontMetricsF(NotchFonts::monospaced(11.5)).horizontalAdvance("0000000000"),
              QFontMetricsF(NotchFonts::monospaced(11)).horizontalAdvance("0000000000"));
}

TEST(NotchFontsTest, AMissingFamilyFallsBackToTheStandIn) {
    guiApplication();
    EXPECT_EQ(NotchFonts::chooseFamily("No Such Family Anywhere", "Inter"), "Inter");
    EXPECT_EQ(NotchFonts::chooseFamily("Inter", "DejaVu Sans"), "Inter");
}

}  // namespace
}  // namespace halvane
