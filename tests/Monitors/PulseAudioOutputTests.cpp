// The volume monitor end to end against a real PulseAudio daemon.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "FakeMediaKeyGrabber.h"
#include "Halvane/Monitors/SystemHUDSuppressor.h"
#include "Halvane/Monitors/VolumeMonitor.h"
#include "Halvane/Platform/linux/PulseAudioOutput.h"
#include "MissingService.h"
#include "PulseServer.h"
#include "QtTestEnvironment.h"

namespace halvane {
namespace {

using test::waitUntil;

// pactl's percentages are rounded to whole steps of 1/65536.
constexpr double tolerance = 1.0 / 65536.0;

class PulseAudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApplication();
        if (!server.ready()) {
            HALVANE_SKIP_UNLESS_CI(server.why());
        }
        ASSERT_EQ(server.pactl({"set-sink-volume", "ci", "25%"}).exitStatus, 0);
        keys.start();
    }

    std::unique_ptr<VolumeMonitor> makeMonitor() {
        auto monitor = std::make_unique<VolumeMonitor>(std::make_unique<PulseAudioOutput>(
            server.server(), PulseAudioOutput::defaultReplyTimeout, std::chrono::milliseconds(20)));
        monitor->start(keys);
        return monitor;
    }
    bool sinkReaches(double volume) {
        return waitUntil([&] { return std::abs(server.sinkVolume() - volume) <= tolerance; });
    }

    test::PulseServer server;
    test::FakeKeyboard keyboard;
    SystemHUDSuppressor keys{std::make_unique<test::FakeMediaKeyGrabber>(keyboard)};
};

TEST_F(PulseAudioTest, ReadsTheDefaultSinkOnCreation) {
    ASSERT_EQ(server.pactl({"set-sink-mute", "ci", "1"}).exitStatus, 0);
    const auto monitor = makeMonitor();
    EXPECT_EQ(monitor->deviceID(), "ci");
    EXPECT_FLOAT_EQ(monitor->volume(), 0.25f);
    EXPECT_TRUE(monitor->isMuted());
}

TEST_F(PulseAudioTest, ChangesMadeWithPactlReachTheMonitor) {
    const auto monitor = makeMonitor();
    QSignalSpy volume(monitor.get(), &VolumeMonitor::volumeChanged);
    ASSERT_EQ(server.pactl({"set-sink-volume", "ci", "40%"}).exitStatus, 0);
    ASSERT_TRUE(volume.wait(10000));
    EXPECT_NEAR(monitor->volume(), 0.4, tolerance);

    ASSERT_EQ(server.pactl({"set-sink-mute", "ci", "1"}).exitStatus, 0);
    EXPECT_TRUE(waitUntil([&] { return monitor->isMuted(); }));
}

TEST_F(PulseAudioTest, KeysChangeTheSinkAndClampAtFullScale) {
    const auto monitor = makeMonitor();
    ASSERT_TRUE(keyboard.press(MediaKey::volumeUp));
    ASSERT_TRUE(sinkReaches(0.3125));
    EXPECT_TRUE(waitUntil([&] { return monitor->volume() == 0.3125f; }));

    monitor->setVolume(1.7f);
    ASSERT_TRUE(sinkReaches(1.0));
    monitor->setVolume(-0.5f);
    ASSERT_TRUE(sinkReaches(0.0));
    EXPECT_TRUE(waitUntil([&] { return monitor->volume() == 0.0f; }));
    ASSERT_TRUE(keyboard.press(MediaKey::volumeDown));
    ASSERT_TRUE(keyboard.press(MediaKey::volumeUp));
    EXPECT_TRUE(sinkReaches(0.0625));
}

TEST_F(PulseAudioTest, SettingTheVolumeKeepsTheBalance) {
    ASSERT_EQ(server.pactl({"set-sink-volume", "ci", "20%", "60%"}).exitStatus, 0);
    const auto monitor = makeMonitor();
    EXPECT_NEAR(monitor->volume(), 0.4, 2 * tolerance) << "the average of the channels";
    monitor->setVolume(0.8f);
    ASSERT_TRUE(waitUntil([&] { return std::abs(monitor->volume() - 0.8f) <= 2 * tolerance; }));
    const auto channels = server.sinkChannels();
    ASSERT_EQ(channels.size(), 2u);
    EXPECT_NEAR(channels[0], 0.4, 2 * tolerance);
    EXPECT_NEAR(channels[1], 1.2, 2 * tolerance);
}

TEST_F(PulseAudioTest, MuteKeyTogglesTheSink) {
    const auto monitor = makeMonitor();
    ASSERT_TRUE(keyboard.press(MediaKey::volumeMute));
    ASSERT_TRUE(waitUntil([&] { return server.sinkMuted(); }));
    ASSERT_TRUE(waitUntil([&] { return monitor->isMuted(); }));
    monitor->toggleMute();
    EXPECT_TRUE(waitUntil([&] { return !server.sinkMuted() && !monitor->isMuted(); }));
}

TEST_F(PulseAudioTest, FollowsANewDefaultSink) {
    const auto monitor = makeMonitor();
    ASSERT_EQ(server.pactl({"load-module", "module-null-sink", "sink_name=headset"}).exitStatus, 0);
    ASSERT_EQ(server.pactl({"set-sink-volume", "headset", "75%"}).exitStatus, 0);
    ASSERT_EQ(server.pactl({"set-default-sink", "headset"}).exitStatus, 0);
    ASSERT_TRUE(waitUntil([&] { return monitor->deviceID() == "headset"; }));
    EXPECT_TRUE(waitUntil([&] { return monitor->volume() == 0.75f; }));
    ASSERT_TRUE(keyboard.press(MediaKey::volumeDown));
    EXPECT_TRUE(
        waitUntil([&] { return std::abs(server.sinkVolume("headset") - 0.6875) <= tolerance; }));
    EXPECT_NEAR(server.sinkVolume("ci"), 0.25, tolerance) << "the old sink is left alone";
}

TEST_F(PulseAudioTest, ARestartedServerIsFollowedAgain) {
    const auto monitor = makeMonitor();
    ASSERT_TRUE(server.restart()) << server.why();
    ASSERT_EQ(server.pactl({"set-sink-volume", "ci", "60%"}).exitStatus, 0);
    ASSERT_TRUE(waitUntil([&] { return std::abs(monitor->volume() - 0.6f) <= tolerance; }));
    monitor->setVolume(0.5f);
    EXPECT_TRUE(sinkReaches(0.5));
}

TEST(PulseAudioWithoutServer, NoServerMeansNoOutputAndKeysDoNothing) {
    test::qtApplication();
    test::TempDir nowhere("nopulse");
    VolumeMonitor monitor{
        std::make_unique<PulseAudioOutput>("unix:" + (nowhere.path() / "native").string())};
    EXPECT_TRUE(monitor.deviceID().empty());
    EXPECT_FLOAT_EQ(monitor.volume(), 0.0f);
    EXPECT_FALSE(monitor.isMuted());
    monitor.setVolume(0.5f);
    monitor.toggleMute();
    EXPECT_TRUE(monitor.deviceID().empty());
}

}  // namespace
}  // namespace halvane
