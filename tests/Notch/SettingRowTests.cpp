#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include <chrono>

#include "GuiTestSupport.h"
#include "Halvane/Notch/Components/SettingRow.h"
#include "Halvane/Theme/NotchPalette.h"

namespace halvane {
namespace {

using namespace std::chrono_literals;
using test::countPixels;
using test::describe;
using test::makeStage;
using test::near;
using test::over;
using test::render;
using test::stageColor;
using test::waitUntil;

struct RowOnStage {
    std::unique_ptr<QWidget> stage;
    SettingRow* row;
    QPushButton* button;
};

RowOnStage makeRow(bool statusOn, std::chrono::milliseconds animation) {
    RowOnStage result{makeStage(360, 80), nullptr, nullptr};
    result.button = new QPushButton(QStringLiteral("Replay"));
    result.row = new SettingRow(Icon::speaker, QStringLiteral("8-bit sounds"),
                                QStringLiteral("Play a chime."), statusOn, result.button,
                                result.stage.get(), animation);
    result.row->setGeometry(10, 10, 340, result.row->sizeHint().height());
    return result;
}

int pixelsNear(const QImage& image, const QRectF& area, const QColor& colour, int tolerance) {
    return countPixels(image, area.toAlignedRect(),
                       [&](const QColor& c) { return near(c, colour, tolerance); });
}

TEST(SettingRowTest, LaysOutTileTextAndTrailingControlInsideItsPadding) {
    auto [stage, row, button] = makeRow(false, 0ms);
    render(*stage, "setting-row-layout");
    EXPECT_EQ(row->trailing(), button);
    EXPECT_EQ(row->trailing<QPushButton>(), button);
    EXPECT_EQ(button->parentWidget(), row);

    const QRectF tile = row->iconTileRect();
    EXPECT_EQ(tile.size(), QSizeF(30, 30));
    EXPECT_DOUBLE_EQ(tile.left(), 12);
    EXPECT_NEAR(tile.center().y(), row->height() / 2.0, 1);
    EXPECT_EQ(button->geometry().right() + 1, row->width() - 12);
    const auto* title = row->findChild<QLabel*>();
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->geometry().left(), 12 + 30 + 12);
    EXPECT_GE(row->sizeHint().height(), 30 + 20);
    EXPECT_GE(row->height() - 10, button->geometry().bottom() + 1);
}

TEST(SettingRowTest, StatusOnTurnsTheIconIntoAGreenCheckAndTheEdgeGreenOverTime) {
    auto [stage, row, button] = makeRow(false, 40ms);
    const QColor& green = NotchPalette::systemGreen();
    const QColor& accent = NotchPalette::accent();
    const QColor rowFill = over(QColor::fromRgbF(1, 1, 1, 0.03f), stageColor());
    const QRect frame = row->geometry();

    QImage off = render(*stage, "setting-row-off");
    EXPECT_TRUE(near(off.pixelColor(frame.center().x(), frame.top()),
                     over(QColor::fromRgbF(1, 1, 1, 0.06f), rowFill)))
        << describe(off.pixelColor(frame.center().x(), frame.top()));
    const QRectF tile = row->iconTileRect().translated(frame.topLeft());
    const QColor offTile = over(NotchPalette::withOpacity(accent, 0.18), rowFill);
    EXPECT_TRUE(near(off.pixelColor(tile.left() + 2, tile.center().y()), offTile))
        << describe(off.pixelColor(tile.left() + 2, tile.center().y()));
    EXPECT_GT(pixelsNear(off, tile, accent, 20), 8) << "the icon is drawn in the accent";
    EXPECT_EQ(pixelsNear(off, tile, green, 40), 0);

    row->setStatusOn(true);
    EXPECT_TRUE(row->statusOn());
    EXPECT_LT(row->statusProgress(), 1.0) << "the change eases in rather than jumping";
    ASSERT_TRUE(waitUntil([&] { return row->statusProgress() == 1.0; }));

    const QImage on = render(*stage, "setting-row-on");
    const QColor onEdge = over(NotchPalette::withOpacity(green, 0.3), rowFill);
    EXPECT_TRUE(near(on.pixelColor(frame.center().x(), frame.top()), onEdge))
        << describe(on.pixelColor(frame.center().x(), frame.top()));
    EXPECT_TRUE(near(on.pixelColor(frame.right(), frame.center().y()), onEdge))
        << describe(on.pixelColor(frame.right(), frame.center().y()));
    const QColor onTile = over(NotchPalette::withOpacity(green, 0.2), rowFill);
    EXPECT_TRUE(near(on.pixelColor(tile.left() + 2, tile.center().y()), onTile))
        << describe(on.pixelColor(tile.left() + 2, tile.center().y()));
    EXPECT_GT(pixelsNear(on, tile, green, 20), 8) << "the check is drawn in green";
    EXPECT_EQ(pixelsNear(on, tile, accent, 40), 0);

    // Turning it off eases back to the plain look.
    row->setStatusOn(false);
    ASSERT_TRUE(waitUntil([&] { return row->statusProgress() == 0.0; }));
    const QImage back = render(*stage, "setting-row-back-off");
    EXPECT_TRUE(near(back.pixelColor(frame.center().x(), frame.top()),
                     over(QColor::fromRgbF(1, 1, 1, 0.06f), rowFill)));
}

TEST(SettingRowTest, ARowBuiltOnShowsTheCheckWithoutAnimating) {
    auto [stage, row, button] = makeRow(true, 40ms);
    EXPECT_EQ(row->statusProgress(), 1.0);
    row->setStatusOn(true);
    EXPECT_EQ(row->statusProgress(), 1.0);
}

}  // namespace
}  // namespace halvane
