// The backlight polled for changes, and the brightness keys.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include "FakeBacklight.h"
#include "FakeMediaKeyGrabber.h"
#include "Halvane/Monitors/BrightnessMonitor.h"
#include "Halvane/Monitors/SystemHUDSuppressor.h"
#include "QtTestEnvironment.h"

namespace halvane {
namespace {

using test::waitUntil;

class BrightnessMonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApplication();
        keys.start();
    }

    std::unique_ptr<BrightnessMonitor> makeMonitor() {
        auto monitor = std::make_unique<BrightnessMonitor>(std::unique_ptr<Backlight>(backlight),
                                                           std::chrono::milliseconds(2));
        monitor->start(keys);
        return monitor;
    }
    void press(MediaKey key) {
        ASSERT_TRUE(keyboard.press(key));
        QCoreApplication::processEvents();
    }
    // Lets the poll timer read the panel at least `count` more times.
    void letPoll(int count = 3) {
        const int target = backlight->reads + count;
        ASSERT_TRUE(waitUntil([&] { return backlight->reads >= target; }));
    }

    test::FakeBacklight* backlight = new test::FakeBacklight;
    test::FakeKeyboard keyboard;
    SystemHUDSuppressor keys{std::make_unique<test::FakeMediaKeyGrabber>(keyboard)};
};

TEST_F(BrightnessMonitorTest, ReadsThePanelOnCreation) {
    backlight->level = 0.7f;
    const BrightnessMonitor monitor{std::unique_ptr<Backlight>(backlight)};
    EXPECT_FLOAT_EQ(monitor.brightness(), 0.7f);
}

TEST_F(BrightnessMonitorTest, PublishesMovementsAboveTheThresholdAndAccumulatesDrift) {
    const auto monitor = makeMonitor();
    QSignalSpy changed(monitor.get(), &BrightnessMonitor::brightnessChanged);
    backlight->level = 0.504f;
    letPoll();
    EXPECT_EQ(changed.count(), 0) << "0.004 is below the threshold";
    EXPECT_FLOAT_EQ(monitor->brightness(), 0.5f);

    backlight->level = 0.506f;
    ASSERT_TRUE(changed.wait(5000)) << "0.006 from the last published value is news";
    EXPECT_FLOAT_EQ(monitor->brightness(), 0.506f);

    backlight->level = 0.8f;
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_FLOAT_EQ(monitor->brightness(), 0.8f);
}

TEST_F(BrightnessMonitorTest, OwnChangesAreNotReportedAgainByThePoll) {
    const auto monitor = makeMonitor();
    QSignalSpy changed(monitor.get(), &BrightnessMonitor::brightnessChanged);
    monitor->setValue(0.25f);
    EXPECT_EQ(changed.count(), 1);
    letPoll();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(backlight->written, (std::vector<float>{0.25f}));
}

TEST_F(BrightnessMonitorTest, KeysStepAndClampAtBothEnds) {
    backlight->level = 0.97f;
    const auto monitor = makeMonitor();
    press(MediaKey::brightnessUp);
    EXPECT_FLOAT_EQ(monitor->brightness(), 1.0f);
    monitor->setValue(0.02f);
    press(MediaKey::brightnessDown);
    EXPECT_FLOAT_EQ(monitor->brightness(), 0.0f);
    monitor->setValue(0.5f);
    press(MediaKey::brightnessUp);
    EXPECT_FLOAT_EQ(monitor->brightness(), 0.5625f);
    EXPECT_EQ(backlight->written, (std::vector<float>{1.0f, 0.02f, 0.0f, 0.5f, 0.5625f}));
}

TEST_F(BrightnessMonitorTest, WithoutABacklightReportsTheMiddleAndKeysStillMoveIt) {
    backlight->level = std::nullopt;
    const auto monitor = makeMonitor();
    EXPECT_FLOAT_EQ(monitor->brightness(), 0.5f);
    letPoll();
    EXPECT_FLOAT_EQ(monitor->brightness(), 0.5f);

    press(MediaKey::brightnessDown);
    EXPECT_FLOAT_EQ(monitor->brightness(), 0.4375f);
    letPoll();
    EXPECT_FLOAT_EQ(monitor->brightness(), 0.4375f) << "polling a missing panel changes nothing";
}

}  // namespace
}  // namespace halvane
