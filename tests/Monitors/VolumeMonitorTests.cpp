// The default output's volume and mute mirrored, and the volume keys.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include "FakeAudioOutput.h"
#include "FakeMediaKeyGrabber.h"
#include "Halvane/Monitors/SystemHUDSuppressor.h"
#include "Halvane/Monitors/VolumeMonitor.h"
#include "QtTestEnvironment.h"

namespace halvane {
namespace {

using test::FakeAudioOutput;
using Write = FakeAudioOutput::Write;

class VolumeMonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApplication();
        output->defaultSink = "speakers";
        output->devices["speakers"] = {0.5f, false};
        keyboard.outcome.status = MediaKeyGrabOutcome::Status::grabbed;
        keys.start();
    }

    std::unique_ptr<VolumeMonitor> makeMonitor() {
        auto monitor = std::make_unique<VolumeMonitor>(std::move(ownedOutput));
        monitor->start(keys);
        return monitor;
    }
    // A key press; its work runs on the next turn of the event loop.
    void press(MediaKey key) {
        ASSERT_TRUE(keyboard.press(key));
        QCoreApplication::processEvents();
    }
    void setLevels(float volume, bool muted) {
        output->devices["speakers"] = {volume, muted};
        output->report(AudioOutput::Change::levels);
    }

    // Handed to the monitor; the test keeps talking to it through output.
    std::unique_ptr<FakeAudioOutput> ownedOutput = std::make_unique<FakeAudioOutput>();
    FakeAudioOutput* output = ownedOutput.get();
    test::FakeKeyboard keyboard;
    SystemHUDSuppressor keys{std::make_unique<test::FakeMediaKeyGrabber>(keyboard)};
};

TEST_F(VolumeMonitorTest, ReadsDeviceAndLevelsOnCreation) {
    output->devices["speakers"] = {0.25f, true};
    const VolumeMonitor monitor{std::move(ownedOutput)};
    EXPECT_EQ(monitor.deviceID(), "speakers");
    EXPECT_FLOAT_EQ(monitor.volume(), 0.25f);
    EXPECT_TRUE(monitor.isMuted());
}

TEST_F(VolumeMonitorTest, FollowsReportedLevelsAndSignalsOnlyRealChanges) {
    const auto monitor = makeMonitor();
    QSignalSpy volume(monitor.get(), &VolumeMonitor::volumeChanged);
    QSignalSpy muted(monitor.get(), &VolumeMonitor::isMutedChanged);
    setLevels(0.5f, false);
    EXPECT_EQ(volume.count(), 0);
    setLevels(0.75f, false);
    setLevels(0.75f, true);
    EXPECT_FLOAT_EQ(monitor->volume(), 0.75f);
    EXPECT_TRUE(monitor->isMuted());
    EXPECT_EQ(volume.count(), 1);
    EXPECT_EQ(muted.count(), 1);

    output->devices["speakers"] = {};
    output->report(AudioOutput::Change::levels);
    EXPECT_FLOAT_EQ(monitor->volume(), 0.75f) << "a failed read keeps the last values";
    EXPECT_TRUE(monitor->isMuted());
}

TEST_F(VolumeMonitorTest, SetVolumeClampsAndLeavesTheStoredValueToTheServer) {
    const auto monitor = makeMonitor();
    monitor->setVolume(1.3f);
    monitor->setVolume(-0.2f);
    monitor->setVolume(0.4f);
    EXPECT_EQ(output->writes, (std::vector<Write>{{"speakers", 1.0f, std::nullopt},
                                                  {"speakers", 0.0f, std::nullopt},
                                                  {"speakers", 0.4f, std::nullopt}}));
    EXPECT_FLOAT_EQ(monitor->volume(), 0.5f);
}

TEST_F(VolumeMonitorTest, VolumeKeysStepBySixteenthsAndClampAtBothEnds) {
    const auto monitor = makeMonitor();
    setLevels(0.97f, false);
    press(MediaKey::volumeUp);
    setLevels(0.03f, false);
    press(MediaKey::volumeDown);
    EXPECT_EQ(output->writes, (std::vector<Write>{{"speakers", 1.0f, std::nullopt},
                                                  {"speakers", 0.0f, std::nullopt}}));

    output->writes.clear();
    setLevels(0.0f, false);
    for (int i = 0; i < 16; ++i) {
        press(MediaKey::volumeUp);
        output->applyWrites();
    }
    EXPECT_FLOAT_EQ(monitor->volume(), 1.0f) << "16 presses from silence reach full scale";
}

TEST_F(VolumeMonitorTest, RaisingAboveFullScaleNeverLowersTheVolume) {
    const auto monitor = makeMonitor();
    setLevels(1.5f, false);
    press(MediaKey::volumeUp);
    EXPECT_TRUE(output->writes.empty());
    press(MediaKey::volumeDown);
    EXPECT_EQ(output->writes, (std::vector<Write>{{"speakers", 1.0f, std::nullopt}}));
}

TEST_F(VolumeMonitorTest, MuteKeyWritesTheOppositeOfTheCurrentState) {
    const auto monitor = makeMonitor();
    press(MediaKey::volumeMute);
    setLevels(0.5f, true);
    press(MediaKey::volumeMute);
    EXPECT_EQ(output->writes, (std::vector<Write>{{"speakers", std::nullopt, true},
                                                  {"speakers", std::nullopt, false}}));
}

TEST_F(VolumeMonitorTest, WithoutAnOutputKeysDoNothingAndNothingIsWatched) {
    // No output at all, and a server that cannot be asked.
    for (const std::optional<std::string>& sink :
         {std::optional<std::string>(""), std::optional<std::string>()}) {
        ownedOutput = std::make_unique<FakeAudioOutput>();
        output = ownedOutput.get();
        output->defaultSink = sink;
        const auto monitor = makeMonitor();
        press(MediaKey::volumeUp);
        press(MediaKey::volumeMute);
        monitor->setVolume(0.3f);
        EXPECT_TRUE(monitor->deviceID().empty());
        EXPECT_FLOAT_EQ(monitor->volume(), 0.0f);
        EXPECT_TRUE(output->writes.empty());
        EXPECT_EQ(output->watchCalls, 0);
    }
}

TEST_F(VolumeMonitorTest, FollowsANewDefaultOutput) {
    const auto monitor = makeMonitor();
    QSignalSpy device(monitor.get(), &VolumeMonitor::deviceIDChanged);
    output->devices["headset"] = {0.125f, true};
    output->defaultSink = "headset";
    output->report(AudioOutput::Change::device);
    EXPECT_EQ(monitor->deviceID(), "headset");
    EXPECT_EQ(device.count(), 1);
    EXPECT_FLOAT_EQ(monitor->volume(), 0.125f);
    EXPECT_TRUE(monitor->isMuted());
    EXPECT_EQ(output->watchCalls, 2) << "watching again on the new device";

    press(MediaKey::volumeUp);
    EXPECT_EQ(output->writes, (std::vector<Write>{{"headset", 0.1875f, std::nullopt}}));
}

TEST_F(VolumeMonitorTest, StartsOnlyOnce) {
    const auto monitor = makeMonitor();
    keys.setOnVolumeUp(nullptr);
    monitor->start(keys);
    EXPECT_EQ(output->watchCalls, 1);
    press(MediaKey::volumeUp);
    EXPECT_TRUE(output->writes.empty()) << "a second start installs no handlers";
}

}  // namespace
}  // namespace halvane
