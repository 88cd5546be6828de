// What the HUD shows: its state, the bar's segments and the label.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "Halvane/Monitors/HUDReadout.h"
#include "Halvane/Monitors/HUDState.h"
#include "Halvane/Monitors/SegmentedBarGeometry.h"
#include "QtTestEnvironment.h"

namespace halvane {
namespace {

namespace Bar = SegmentedBarGeometry;
using HUDReadout::Tint;

// The bar and label as the trailing view shows them for a kind.
struct Shown {
    int lit;
    std::string label;
    Tint tint;
};

Shown show(const HUDKind& kind, float volume, bool muted, float brightness) {
    const float value = HUDReadout::barValue(kind, volume, muted, brightness);
    return {Bar::litCount(value, Bar::hudSegmentCount), HUDReadout::label(kind, value),
            HUDReadout::tint(kind)};
}

TEST(HUDReadoutTest, VolumeFillsSegmentsUpwardAndLabelsRoundedPercent) {
    const auto at = [](float volume) { return show(HUDKind::volume(), volume, false, 0.5f); };
    EXPECT_EQ(at(0.33f).lit, 4);
    EXPECT_EQ(at(0.33f).label, "33%");
    EXPECT_EQ(at(1.0f).lit, 10);
    EXPECT_EQ(at(1.0f).label, "100%");
    EXPECT_EQ(at(0.0f).lit, 0);
    EXPECT_EQ(at(0.0f).label, "0%");
    EXPECT_EQ(at(0.0625f).lit, 1);
    EXPECT_EQ(at(0.0625f).label, "6%");
    EXPECT_EQ(at(0.125f).label, "13%") << "halves round up";
    EXPECT_EQ(at(1.5f).lit, 10) << "amplified past full scale fills the bar";
    EXPECT_EQ(at(1.5f).label, "150%");
    EXPECT_EQ(at(0.5f).tint, Tint::accent);
}

TEST(HUDReadoutTest, MutedVolumeShowsAnEmptyBarAndTheSameIcon) {
    const Shown muted = show(HUDKind::volume(), 0.8f, true, 0.5f);
    EXPECT_EQ(muted.lit, 0);
    EXPECT_EQ(muted.label, "0%");
    EXPECT_EQ(HUDReadout::iconName(HUDKind::volume()), "speaker");
}

TEST(HUDReadoutTest, BrightnessShowsTheMonitorsValue) {
    const Shown shown = show(HUDKind::brightness(), 0.1f, true, 0.75f);
    EXPECT_EQ(shown.lit, 8);
    EXPECT_EQ(shown.label, "75%");
    EXPECT_EQ(HUDReadout::iconName(HUDKind::brightness()), "sun");
}

TEST(HUDReadoutTest, BatteryKindsShowTheirPayload) {
    const Shown low = show(HUDKind::batteryLow(10), 0.5f, false, 0.5f);
    EXPECT_EQ(low.lit, 1);
    EXPECT_EQ(low.label, "10%");
    EXPECT_EQ(low.tint, Tint::systemRed);
    EXPECT_EQ(HUDReadout::iconName(HUDKind::batteryLow(10)), "batteryLow");

    const Shown plugged = show(HUDKind::batteryPlugged(47), 0.0f, true, 0.0f);
    EXPECT_EQ(plugged.lit, 5);
    EXPECT_EQ(plugged.label, "47%");
    EXPECT_EQ(plugged.tint, Tint::accent);
    EXPECT_EQ(HUDReadout::iconName(HUDKind::batteryPlugged(47)), "bolt");

    EXPECT_EQ(show(HUDKind::batteryUnplugged(100), 0, false, 0).label, "100%");
    EXPECT_EQ(HUDReadout::iconName(HUDKind::batteryUnplugged(100)), "batteryFull");
}

TEST(SegmentedBarGeometryTest, SegmentsShareTheWidthLessTheGaps) {
    const auto segments = Bar::segments(0.33f, 10, 118.0, 2.0);
    ASSERT_EQ(segments.size(), 10u);
    EXPECT_DOUBLE_EQ(segments[0].width, 10.0);
    EXPECT_DOUBLE_EQ(segments[0].x, 0.0);
    EXPECT_DOUBLE_EQ(segments[9].x, 108.0);
    EXPECT_DOUBLE_EQ(segments[9].x + segments[9].width, 118.0);
    EXPECT_TRUE(segments[3].lit);
    EXPECT_FALSE(segments[4].lit);
}

TEST(SegmentedBarGeometryTest, NarrowBarsKeepTwoPointSegments) {
    EXPECT_DOUBLE_EQ(Bar::segmentWidth(10.0, 10, 2.0), 2.0) << "narrower than the gaps";
    EXPECT_DOUBLE_EQ(Bar::segmentWidth(0.0, 10, 2.0), 2.0);
    EXPECT_DOUBLE_EQ(Bar::segmentWidth(38.0, 10, 2.0), 2.0);
    EXPECT_DOUBLE_EQ(Bar::segmentWidth(48.0, 10, 2.0), 3.0);
    EXPECT_DOUBLE_EQ(Bar::segments(1.0f, 10, 10.0, 2.0).back().x, 36.0);
}

TEST(SegmentedBarGeometryTest, LitCountStaysWithinTheBar) {
    EXPECT_EQ(Bar::litCount(-0.2f, 10), 0);
    EXPECT_EQ(Bar::litCount(0.01f, 10), 1);
    EXPECT_EQ(Bar::litCount(0.7f, 10), 7);
    EXPECT_EQ(Bar::litCount(0.1f, 10), 1);
    EXPECT_EQ(Bar::litCount(0.3f, 10), 3);
    EXPECT_EQ(Bar::litCount(3.0f, 10), 10);
    EXPECT_EQ(Bar::litCount(0.5f, 0), 0);
}

TEST(HUDStateTest, StartsAsAnInactiveVolumeHUDAndSignalsRealChanges) {
    test::qtApplication();
    HUDState hud;
    EXPECT_EQ(hud.kind(), HUDKind::volume());
    EXPECT_FALSE(hud.active());
    EXPECT_EQ(hud.bump(), 0);

    QSignalSpy kind(&hud, &HUDState::kindChanged);
    QSignalSpy active(&hud, &HUDState::activeChanged);
    QSignalSpy bump(&hud, &HUDState::bumpChanged);
    hud.setKind(HUDKind::volume());
    hud.setKind(HUDKind::batteryLow(20));
    hud.setKind(HUDKind::batteryLow(10));
    hud.setKind(HUDKind::batteryLow(10));
    hud.setActive(true);
    hud.setActive(true);
    hud.setBump(hud.bump() + 1);
    hud.setBump(hud.bump() + 1);
    EXPECT_EQ(kind.count(), 2) << "kinds compare case and payload";
    EXPECT_EQ(active.count(), 1);
    EXPECT_EQ(bump.count(), 2) << "a bump always changes";
}

}  // namespace
}  // namespace halvane
