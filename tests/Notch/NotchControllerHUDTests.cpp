// The HUD's flashes: media keys and battery events show it on the second
// presenter, the session wings make room and come back, a burst keeps it up,
// and nothing covers a waiting prompt or a list the user opened.
#include "Halvane/Monitors/BrightnessMonitor.h"
#include "Halvane/Monitors/VolumeMonitor.h"
#include "LogCapture.h"
#include "NotchControllerFixture.h"

namespace halvane::test {
namespace {

TEST_F(NotchControllerTest, AVolumeKeyMovesTheWingsAsideForTheHUDAndBringsThemBack) {
    startCompact();

    ASSERT_TRUE(keyboard.press(MediaKey::volumeUp));
    EXPECT_TRUE(controller->hud().active());
    EXPECT_EQ(controller->hud().kind(), HUDKind::volume());
    EXPECT_EQ(controller->hud().bump(), 1);

    ASSERT_TRUE(logged("notch compact"));
    EXPECT_EQ(events, (std::vector<std::string>{"notch hidden", "hud compact", "hud hidden",
                                                "notch compact"}));
    EXPECT_FALSE(controller->hud().active());
    // The volume monitor's own key handler still ran first.
    ASSERT_TRUE(waitUntil([&] { return !audio->writes.empty(); }));
    EXPECT_FLOAT_EQ(*audio->writes.back().volume, 0.5f + VolumeMonitor::step);
}

TEST_F(NotchControllerTest, ABurstOfKeysKeepsTheHUDUpUntilAfterTheLastOne) {
    startCompact();

    keyboard.press(MediaKey::volumeDown);
    ASSERT_TRUE(hudBecomes(State::compact));
    probe("half way", keyHUD / 2);
    ASSERT_TRUE(logged("half way"));
    probe("last key's wait over", keyHUD);
    keyboard.press(MediaKey::volumeMute);

    EXPECT_EQ(controller->hud().kind(), HUDKind::volume());
    EXPECT_EQ(controller->hud().bump(), 2) << "the icon bounces again";
    ASSERT_TRUE(logged("hud hidden"));
    EXPECT_TRUE(ordered("last key's wait over", "hud hidden"));
    ASSERT_TRUE(logged("notch compact"));
    EXPECT_EQ(count("notch hidden"), 1) << "only the first key moves the wings";
    EXPECT_EQ(count("hud compact"), 1);
}

TEST_F(NotchControllerTest, BrightnessKeysShowTheBrightnessHUD) {
    start();
    keyboard.press(MediaKey::brightnessUp);
    EXPECT_EQ(controller->hud().kind(), HUDKind::brightness());
    ASSERT_TRUE(hudBecomes(State::compact));
    ASSERT_TRUE(waitUntil([&] { return !backlight->written.empty(); }));
    EXPECT_FLOAT_EQ(backlight->written.back(), 0.5f + BrightnessMonitor::step);
    keyboard.press(MediaKey::brightnessDown);
    EXPECT_EQ(controller->hud().bump(), 2);
    ASSERT_TRUE(hudBecomes(State::hidden));
}

TEST_F(NotchControllerTest, NoHUDOverAWaitingPromptOrAnOpenedList) {
    notify("alpha");
    start();
    ask("alpha");
    ASSERT_TRUE(notchBecomes(State::expanded));

    keyboard.press(MediaKey::volumeUp);
    settle();
    EXPECT_FALSE(controller->hud().active());
    EXPECT_EQ(controller->hud().bump(), 0);
    EXPECT_EQ(controller->notch()->state(), State::expanded);

    approve("alpha");
    ASSERT_TRUE(notchBecomes(State::compact));
    tap();
    ASSERT_TRUE(notchBecomes(State::expanded));
    keyboard.press(MediaKey::brightnessDown);
    settle();
    EXPECT_FALSE(controller->hud().active());
    EXPECT_EQ(count("hud compact"), 0);
}

TEST_F(NotchControllerTest, APromptArrivingUnderTheHUDWaitsForTheHUDToEnd) {
    startCompact();
    keyboard.press(MediaKey::volumeUp);
    ASSERT_TRUE(hudBecomes(State::compact));
    ASSERT_TRUE(notchBecomes(State::hidden));

    ask("alpha");
    settle();
    EXPECT_EQ(controller->notch()->state(), State::hidden);
    ASSERT_TRUE(logged("notch expanded"));
    EXPECT_TRUE(ordered("hud hidden", "notch expanded"));
}

TEST_F(NotchControllerTest, BatteryEventsShowTheLevelAndRestartTheWait) {
    startCompact();

    power->set(50, false);
    power->change();
    ASSERT_TRUE(waitUntil([&] { return controller->hud().active(); }));
    EXPECT_EQ(controller->hud().kind(), HUDKind::batteryUnplugged(50));
    ASSERT_TRUE(hudBecomes(State::compact));

    probe("plug's wait over", batteryHUD);
    power->set(50, true, true);
    power->change();
    ASSERT_TRUE(waitUntil([&] { return controller->hud().bump() == 2; }));
    EXPECT_EQ(controller->hud().kind(), HUDKind::batteryPlugged(50));
    ASSERT_TRUE(logged("hud hidden"));
    EXPECT_TRUE(ordered("plug's wait over", "hud hidden"));
    EXPECT_EQ(count("hud compact"), 1);
}

TEST_F(NotchControllerTest, ALowBatteryShowsTheThresholdCrossed) {
    power->set(12, false);
    start();
    power->set(9, false);
    power->change();
    ASSERT_TRUE(waitUntil([&] { return controller->hud().active(); }));
    EXPECT_EQ(controller->hud().kind(), HUDKind::batteryLow(10));
}

TEST_F(NotchControllerTest, WhenTheDesktopKeepsTheKeysTheHUDFollowsTheMonitors) {
    keyboard.outcome = {MediaKeyGrabOutcome::Status::keysTaken, "the desktop holds the keys"};
    const LogCapture log;
    startCompact();
    EXPECT_TRUE(log.contains("HUDSuppressor: the desktop holds the keys"));
    EXPECT_FALSE(controller->hud().active());

    audio->devices["speakers"].volume = 0.7f;
    audio->report(AudioOutput::Change::levels);
    ASSERT_TRUE(waitUntil([&] { return controller->hud().active(); }));
    EXPECT_EQ(controller->hud().kind(), HUDKind::volume());
    ASSERT_TRUE(hudBecomes(State::compact));
    ASSERT_TRUE(logged("notch compact"));

    backlight->level = 0.2f;
    ASSERT_TRUE(waitUntil([&] { return controller->hud().kind() == HUDKind::brightness(); }));
    EXPECT_TRUE(controller->hud().active());
}

}  // namespace
}  // namespace halvane::test
