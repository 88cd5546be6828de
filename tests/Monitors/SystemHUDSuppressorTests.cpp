// Media keys handed to Halvane's handlers, and what happens when they cannot
// be taken.
#include <gtest/gtest.h>

#include "FakeMediaKeyGrabber.h"
#include "Halvane/Monitors/SystemHUDSuppressor.h"
#include "Halvane/Platform/linux/X11MediaKeyGrabber.h"
#include "LogCapture.h"
#include "QtTestEnvironment.h"

namespace halvane {
namespace {

using Status = MediaKeyGrabOutcome::Status;

class SystemHUDSuppressorTest : public ::testing::Test {
protected:
    test::FakeKeyboard keyboard;
    SystemHUDSuppressor suppressor{std::make_unique<test::FakeMediaKeyGrabber>(keyboard)};
};

TEST_F(SystemHUDSuppressorTest, EachKeyRunsItsOwnHandlerEveryTimeItGoesDown) {
    std::vector<std::string> calls;
    suppressor.setOnVolumeUp([&] { calls.push_back("up"); });
    suppressor.setOnVolumeDown([&] { calls.push_back("down"); });
    suppressor.setOnVolumeMute([&] { calls.push_back("mute"); });
    suppressor.setOnBrightnessUp([&] { calls.push_back("brighter"); });
    suppressor.setOnBrightnessDown([&] { calls.push_back("darker"); });
    suppressor.start();
    ASSERT_TRUE(suppressor.isRunning());

    for (const MediaKey key :
         {MediaKey::volumeUp, MediaKey::volumeUp, MediaKey::volumeDown, MediaKey::volumeMute,
          MediaKey::brightnessUp, MediaKey::brightnessDown}) {
        EXPECT_TRUE(keyboard.press(key));
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"up", "up", "down", "mute", "brighter", "darker"}));
}

TEST_F(SystemHUDSuppressorTest, AKeyWithoutHandlerIsStillTaken) {
    suppressor.start();
    EXPECT_FALSE(suppressor.onVolumeMute());
    EXPECT_TRUE(keyboard.press(MediaKey::volumeMute));
}

TEST_F(SystemHUDSuppressorTest, StartsOnlyOnce) {
    suppressor.start();
    suppressor.start();
    EXPECT_EQ(keyboard.grabs, 1);
}

TEST_F(SystemHUDSuppressorTest, WithoutADisplayLogsTheOneLineAndTriesAgainNextTime) {
    keyboard.outcome = {Status::noDisplay, {}};
    const test::LogCapture log;
    suppressor.start();
    EXPECT_FALSE(suppressor.isRunning());
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"HUDSuppressor: Accessibility permission required"}));
    suppressor.start();
    EXPECT_EQ(keyboard.grabs, 2);
    EXPECT_FALSE(suppressor.isRunning());
}

TEST_F(SystemHUDSuppressorTest, KeysHeldElsewhereLogTheCause) {
    keyboard.outcome = {Status::keysTaken, "another X11 client already grabs XF86AudioMute"};
    const test::LogCapture log;
    suppressor.start();
    EXPECT_FALSE(suppressor.isRunning());
    EXPECT_EQ(log.lines(), (std::vector<std::string>{
                               "HUDSuppressor: another X11 client already grabs XF86AudioMute"}));
}

TEST_F(SystemHUDSuppressorTest, OtherFailuresStayStoppedSilently) {
    keyboard.outcome = {Status::failed, "the X server refused the key grabs (error 2)"};
    const test::LogCapture log;
    suppressor.start();
    EXPECT_FALSE(suppressor.isRunning());
    EXPECT_TRUE(log.lines().empty());
}

TEST(X11MediaKeyGrabberWithoutDisplay, ReportsNoDisplayInAPlainCoreApplication) {
    test::qtApplication();
    SystemHUDSuppressor suppressor{std::make_unique<X11MediaKeyGrabber>()};
    const test::LogCapture log;
    suppressor.start();
    EXPECT_FALSE(suppressor.isRunning());
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"HUDSuppressor: Accessibility permission required"}));
}

}  // namespace
}  // namespace halvane
