// The logo in its two styles, the tray's template image rendered from it,
// the tray menu and the bridge that gives the notch kit our symbols and log.
#include <gtest/gtest.h>

#include <QAction>
#include <QLoggingCategory>
#include <QPainter>

#include "GuiTestSupport.h"
#include "Halvane/App/HalvaneLogo.h"
#include "Halvane/App/NotchKitBridge.h"
#include "Halvane/App/TrayIcon.h"
#include "Halvane/App/TrayMenu.h"
#include "Halvane/Theme/IconGlyphs.h"
#include "Halvane/Theme/NotchPalette.h"
#include "LogCapture.h"
#include "NotchKit/NotchIcon.h"

namespace halvane::test {
namespace {

QImage drawLogo(HalvaneLogoStyle style, int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    HalvaneLogo::paint(painter, QRectF(0, 0, side, side), style);
    return image;
}

int countInked(const QImage& image, const std::function<bool(const QColor&)>& test) {
    return countPixels(image, image.rect(),
                       [&](const QColor& pixel) { return pixel.alpha() > 0 && test(pixel); });
}

TEST(HalvaneLogoTest, TheTemplateIsSolidBlackShapeOnClear) {
    guiApplication();
    const QImage image = drawLogo(HalvaneLogoStyle::templateImage, 96);
    const int inked = countInked(image, [](const QColor&) { return true; });
    EXPECT_GT(inked, 96 * 96 / 8) << "the shapes are drawn";
    EXPECT_EQ(countInked(image,
                         [](const QColor& pixel) {
                             return pixel.red() != 0 || pixel.green() != 0 || pixel.blue() != 0;
                         }),
              0)
        << "a template holds no colour";
    // The screen's inside is left clear, so the notch and the mark read as shapes.
    EXPECT_EQ(image.pixelColor(30, 70).alpha(), 0);
}

TEST(HalvaneLogoTest, TheColourLogoHasItsGlassItsNotchAndItsMark) {
    guiApplication();
    const QImage image = drawLogo(HalvaneLogoStyle::color, 96);
    const auto at = [&](qreal x, qreal y) {
        return image.pixelColor(static_cast<int>(x * 4), static_cast<int>(y * 4));
    };
    // Design-grid points: the glass, the notch below the top edge, the mark.
    const QColor glass = at(5, 17);
    EXPECT_GT(glass.red(), 150);
    EXPECT_LT(glass.blue(), glass.red());
    EXPECT_LT(at(12, 6.5).lightness(), 30) << "the notch is dark";
    EXPECT_GT(at(12, 14.25).lightness(), 220) << "the mark is light";
    EXPECT_EQ(at(1, 12).alpha(), 0) << "outside the screen stays clear";
}

TEST(TrayIconTest, IsTheTemplateLogoCentredInTwentyTwoPointsAtDoubleScale) {
    guiApplication();
    const auto& image = TrayIcon::cached();
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(&image, &TrayIcon::cached()) << "rendered once";
    EXPECT_EQ(image->size(), QSize(44, 44));
    EXPECT_DOUBLE_EQ(image->devicePixelRatio(), 2.0);
    QImage pixels = image->convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(
        countInked(pixels, [](const QColor& pixel) { return pixel.red() + pixel.green() > 0; }), 0);
    // The logo spans 15 of the 22 points: the 3.5-point border stays clear.
    const QRect logo(7, 7, 30, 30);
    EXPECT_GT(countPixels(pixels, logo, [](const QColor& pixel) { return pixel.alpha() > 0; }),
              100);
    EXPECT_EQ(countPixels(pixels, QRect(0, 0, 44, 6),
                          [](const QColor& pixel) { return pixel.alpha() > 0; }),
              0);
    EXPECT_FALSE(TrayIcon::trayIcon().isNull());
}

TEST(TrayMenuTest, EndsWithQuitHalvaneOnControlQ) {
    guiApplication();
    int quits = 0;
    TrayMenu tray;
    QObject::connect(&tray, &TrayMenu::quitRequested, [&] { ++quits; });
    ASSERT_FALSE(tray.menu().actions().isEmpty());
    QAction* quit = tray.menu().actions().last();
    EXPECT_EQ(quit, tray.quitAction());
    EXPECT_EQ(quit->text(), "Quit Halvane");
    EXPECT_EQ(quit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_FALSE(tray.icon().icon().isNull());
    quit->trigger();
    EXPECT_EQ(quits, 1);
}

TEST(NotchKitBridgeTest, TheKitDrawsOurGlyphsAndLogsThroughUs) {
    guiApplication();
    NotchKitBridge::install();
    const auto paint = [](const std::function<void(QPainter&)>& draw) {
        QImage image(32, 32, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        draw(painter);
        return image;
    };
    const QRectF box(4, 4, 24, 24);
    // "batteryLow" is one of our icons and not among the kit's own glyphs.
    const QImage kit = paint([&](QPainter& painter) {
        notchkit::NotchIcon::draw(painter, "batteryLow", box, Qt::white);
    });
    const QImage ours = paint([&](QPainter& painter) {
        IconGlyphs::draw(painter, Icon::batteryLow, box, 24, QFont::Normal, Qt::white);
    });
    EXPECT_EQ(kit, ours);

    const LogCapture log;
    QLoggingCategory category("notchkit");
    qCWarning(category) << "a kit warning";
    EXPECT_TRUE(log.contains("notchkit: a kit warning"));
    qInstallMessageHandler(nullptr);
    notchkit::NotchIcon::setPainter(nullptr);
}

}  // namespace
}  // namespace halvane::test
