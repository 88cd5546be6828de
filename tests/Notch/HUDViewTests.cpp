// The HUD's wings as drawn: how many segments light and in which colour, the
// percentage beside them, and the icon of each kind.
#include <gtest/gtest.h>

#include <QMetaEnum>

#include <memory>

#include "FakeAudioOutput.h"
#include "FakeBacklight.h"
#include "GuiTestSupport.h"
#include "Halvane/Monitors/BrightnessMonitor.h"
#include "Halvane/Monitors/HUDReadout.h"
#include "Halvane/Monitors/HUDState.h"
#include "Halvane/Monitors/SegmentedBarGeometry.h"
#include "Halvane/Monitors/VolumeMonitor.h"
#include "Halvane/Notch/HUD/HUDCompactLeading.h"
#include "Halvane/Notch/HUD/HUDCompactTrailing.h"
#include "Halvane/Notch/HUD/SegmentedBar.h"
#include "Halvane/Theme/IconGlyphs.h"
#include "Halvane/Theme/NotchPalette.h"

namespace halvane::test {
namespace {

constexpr int kHeight = 24;

// Whether `color` is `tint`, drawn opaque.
bool isTint(const QColor& color, const QColor& tint) {
    return color.alpha() > 240 && near(color, tint, 6);
}

// Counts the segments drawn lit in `tint` by looking at each one's centre.
int litSegments(const QImage& image, const QRectF& bar, const QColor& tint) {
    int lit = 0;
    const auto segments = SegmentedBarGeometry::segments(
        1.0f, SegmentedBarGeometry::hudSegmentCount, bar.width(), SegmentedBarGeometry::hudSpacing);
    for (const auto& segment : segments) {
        const QPoint centre(static_cast<int>(bar.left() + segment.x + segment.width / 2),
                            static_cast<int>(bar.center().y()));
        const QColor pixel = image.pixelColor(centre);
        if (isTint(pixel, tint)) {
            ++lit;
        } else {
            // An unlit segment is a faint white, never a dim tint.
            EXPECT_LT(pixel.alpha(), 60) << "segment at " << segment.x;
        }
    }
    return lit;
}

class HUDViewTest : public ::testing::Test {
protected:
    HUDViewTest() { guiApplication(); }

    // Speakers at a third, read by the monitor as it is made.
    static std::unique_ptr<FakeAudioOutput> speakers() {
        auto output = std::make_unique<FakeAudioOutput>();
        output->defaultSink = "speakers";
        output->devices["speakers"] = AudioLevels{0.33f, false};
        return output;
    }

    void setVolume(float volume, bool muted) {
        audio->devices["speakers"] = AudioLevels{volume, muted};
        audio->report(AudioOutput::Change::levels);
    }

    // The trailing wing once its bar has come to rest.
    QImage renderTrailing(HUDCompactTrailing& view, const QString& name) {
        view.resize(view.sizeHint().width(), kHeight);
        EXPECT_TRUE(waitUntil([&] {
            return view.bar()->displayedValue() == view.bar()->value() && !view.isRolling();
        }));
        return render(view, name);
    }

    int labelPixels(const QImage& image, const HUDCompactTrailing& view, const QColor& tint) {
        return countPixels(image, view.labelRect().toAlignedRect(),
                           [&](const QColor& pixel) { return isTint(pixel, tint); });
    }

    std::unique_ptr<FakeAudioOutput> audioOwner = speakers();
    FakeAudioOutput* audio = audioOwner.get();
    HUDState hud;
    VolumeMonitor volume{std::move(audioOwner)};
    BrightnessMonitor brightness{std::make_unique<FakeBacklight>()};
};

TEST_F(HUDViewTest, TheVolumeBarLightsTheSegmentsItReaches) {
    volume.start();
    HUDCompactTrailing view(hud, volume, brightness);
    QImage image = renderTrailing(view, "hud-volume-33");
    EXPECT_EQ(view.label(), "33%");
    EXPECT_EQ(litSegments(image, view.barRect(), NotchPalette::accent()), 4);
    EXPECT_GT(labelPixels(image, view, NotchPalette::accent()), 10);

    setVolume(1.0f, false);
    image = renderTrailing(view, "hud-volume-100");
    EXPECT_EQ(view.label(), "100%");
    EXPECT_EQ(litSegments(image, view.barRect(), NotchPalette::accent()), 10);

    setVolume(0.0f, false);
    image = renderTrailing(view, "hud-volume-0");
    EXPECT_EQ(view.label(), "0%");
    EXPECT_EQ(litSegments(image, view.barRect(), NotchPalette::accent()), 0);
}

TEST_F(HUDViewTest, MutedVolumeShowsAnEmptyBarAndZeroPercent) {
    volume.start();
    setVolume(0.8f, true);
    HUDCompactTrailing view(hud, volume, brightness);
    const QImage image = renderTrailing(view, "hud-volume-muted");
    EXPECT_EQ(view.label(), "0%");
    EXPECT_EQ(litSegments(image, view.barRect(), NotchPalette::accent()), 0);
    EXPECT_EQ(HUDCompactLeading::icon(hud.kind()), Icon::speaker);
}

TEST_F(HUDViewTest, ALowBatteryIsRedWithTheThresholdAsItsLevel) {
    hud.setKind(HUDKind::batteryLow(10));
    HUDCompactTrailing view(hud, volume, brightness);
    const QImage image = renderTrailing(view, "hud-battery-low");
    EXPECT_EQ(view.label(), "10%");
    EXPECT_EQ(litSegments(image, view.barRect(), NotchPalette::systemRed()), 1);
    EXPECT_GT(labelPixels(image, view, NotchPalette::systemRed()), 10);
    EXPECT_EQ(labelPixels(image, view, NotchPalette::accent()), 0);

    HUDCompactLeading leading(hud);
    leading.resize(leading.sizeHint().width(), kHeight);
    const QImage icon = render(leading, "hud-battery-low-icon");
    EXPECT_GT(
        countPixels(icon, leading.iconRect().toAlignedRect(),
                    [](const QColor& pixel) { return isTint(pixel, NotchPalette::systemRed()); }),
        10);
}

TEST_F(HUDViewTest, TheBarFollowsTheKindItShows) {
    HUDCompactTrailing view(hud, volume, brightness);
    hud.setKind(HUDKind::brightness());
    brightness.setValue(0.75f);
    QImage image = renderTrailing(view, "hud-brightness-75");
    EXPECT_EQ(view.label(), "75%");
    EXPECT_EQ(litSegments(image, view.barRect(), NotchPalette::accent()), 8);

    hud.setKind(HUDKind::batteryPlugged(100));
    image = renderTrailing(view, "hud-battery-plugged");
    EXPECT_EQ(litSegments(image, view.barRect(), NotchPalette::accent()), 10);
}

TEST_F(HUDViewTest, EveryKindHasItsIconInItsColour) {
    const struct {
        HUDKind kind;
        QColor color;
    } cases[] = {{HUDKind::batteryPlugged(80), NotchPalette::accent()},
                 {HUDKind::batteryUnplugged(80), NotchPalette::accent()},
                 {HUDKind::batteryLow(5), NotchPalette::systemRed()},
                 {HUDKind::volume(), NotchPalette::accent()},
                 {HUDKind::brightness(), NotchPalette::accent()}};
    HUDCompactLeading view(hud);
    view.resize(view.sizeHint().width(), kHeight);
    for (const auto& [kind, color] : cases) {
        SCOPED_TRACE(QMetaEnum::fromType<HUDKind::Case>().valueToKey(static_cast<int>(kind.kind)));
        hud.setKind(kind);
        // The readout's name is one of the theme's icons, not the fallback.
        EXPECT_EQ(IconGlyphs::name(HUDCompactLeading::icon(kind)).toStdString(),
                  HUDReadout::iconName(kind));
        const QImage image = render(view, "hud-icon");
        const QRect box = view.iconRect().toAlignedRect();
        EXPECT_EQ(box.left(), HUDCompactLeading::leadingPadding);
        EXPECT_GT(
            countPixels(image, box, [&](const QColor& pixel) { return isTint(pixel, color); }), 10);
        // Nothing is drawn past the icon's box.
        EXPECT_EQ(countPixels(image, QRect(box.right() + 4, 0, 60, kHeight),
                              [](const QColor& pixel) { return pixel.alpha() > 0; }),
                  0);
    }
}

TEST_F(HUDViewTest, EveryNewEventBouncesTheIconAgain) {
    HUDCompactLeading view(hud);
    EXPECT_FALSE(view.isBouncing());
    hud.setBump(1);
    EXPECT_TRUE(view.isBouncing());
    ASSERT_TRUE(waitUntil([&] { return !view.isBouncing(); }));
    hud.setBump(2);
    EXPECT_TRUE(view.isBouncing()) << "same kind, new event";
}

}  // namespace
}  // namespace halvane::test
