// Battery levels and adapter changes in, plugged/unplugged/low events out.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include "FakePowerSource.h"
#include "Halvane/Monitors/BatteryMonitor.h"
#include "QtTestEnvironment.h"

namespace halvane {
namespace {

using Event = BatteryMonitor::Event;
using test::FakePowerSource;

const Event plugged{Event::Kind::plugged};
const Event unplugged{Event::Kind::unplugged};

class BatteryMonitorTest : public ::testing::Test {
protected:
    void SetUp() override { test::qtApplication(); }

    // Starts the monitor on the source's current reading.
    void start() {
        QObject::connect(&monitor, &BatteryMonitor::announced,
                         [this](Event event) { events.push_back(event); });
        monitor.start();
    }
    // The system reports a change to this reading; the refresh runs on the
    // next turn of the event loop.
    void reading(int percent, bool onAdapter, bool charging = false) {
        source->set(percent, onAdapter, charging);
        source->change();
        QCoreApplication::processEvents();
    }

    FakePowerSource* source = new FakePowerSource;
    BatteryMonitor monitor{std::unique_ptr<PowerSource>(source)};
    std::vector<Event> events;
};

TEST_F(BatteryMonitorTest, WithoutPowerSourcesKeepsItsStartingValues) {
    start();
    source->change();
    QCoreApplication::processEvents();
    EXPECT_EQ(monitor.percentage(), 100);
    EXPECT_FALSE(monitor.isCharging());
    EXPECT_FALSE(monitor.isPluggedIn());
    EXPECT_TRUE(events.empty());
}

TEST_F(BatteryMonitorTest, ReadsLevelChargingAndAdapterOfTheFirstSource) {
    source->set(64, true, true);
    source->sources.push_back({10, 100, std::string(batteryPowerState), false});
    start();
    EXPECT_EQ(monitor.percentage(), 64);
    EXPECT_TRUE(monitor.isCharging());
    EXPECT_TRUE(monitor.isPluggedIn());
}

TEST_F(BatteryMonitorTest, ComputesTheLevelWithDefaultsForMissingEntries) {
    start();
    const auto levelFor = [this](PowerSourceDescription description) {
        reading(50, false);
        source->sources = {description};
        source->change();
        QCoreApplication::processEvents();
        return monitor.percentage();
    };
    EXPECT_EQ(levelFor({57, 100, std::nullopt, std::nullopt}), 57) << "whole stays whole";
    EXPECT_EQ(levelFor({999, 1000, std::nullopt, std::nullopt}), 99) << "truncated";
    EXPECT_EQ(levelFor({30, 0, std::nullopt, std::nullopt}), 0) << "no maximum";
    EXPECT_EQ(levelFor({30, std::nullopt, std::nullopt, std::nullopt}), 30) << "maximum 100";
    EXPECT_EQ(levelFor({}), 0) << "no current capacity";

    reading(50, true, true);
    source->sources = {{}};
    source->change();
    QCoreApplication::processEvents();
    EXPECT_FALSE(monitor.isPluggedIn()) << "no state means no adapter";
    EXPECT_FALSE(monitor.isCharging());
}

TEST_F(BatteryMonitorTest, NotifiesObserversOnlyOfRealChanges) {
    QSignalSpy level(&monitor, &BatteryMonitor::percentageChanged);
    QSignalSpy adapter(&monitor, &BatteryMonitor::isPluggedInChanged);
    source->set(80, false);
    start();
    reading(80, false);
    reading(80, false);
    reading(79, false);
    EXPECT_EQ(level.count(), 2);
    EXPECT_EQ(adapter.count(), 0);
}

TEST_F(BatteryMonitorTest, RefreshRunsOnTheNextTurnOfTheEventLoopAndNotAfterTheMonitorIsGone) {
    auto* own = new FakePowerSource;
    own->set(50, false);
    auto monitor = std::make_unique<BatteryMonitor>(std::unique_ptr<PowerSource>(own));
    int seen = 0;
    QObject::connect(monitor.get(), &BatteryMonitor::announced, [&seen](Event) { ++seen; });
    monitor->start();
    own->set(50, true);
    own->change();
    EXPECT_FALSE(monitor->isPluggedIn());
    QCoreApplication::processEvents();
    EXPECT_TRUE(monitor->isPluggedIn());
    EXPECT_EQ(seen, 1);

    own->set(50, false);
    own->change();
    monitor.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, 1);
}

TEST_F(BatteryMonitorTest, LaunchAt15PercentAnnouncesNothingUntil10) {
    source->set(15, false);
    start();
    EXPECT_TRUE(events.empty());
    reading(14, false);
    reading(11, false);
    EXPECT_TRUE(events.empty());
    reading(10, false);
    EXPECT_EQ(events, (std::vector<Event>{Event::low(10)}));
}

TEST_F(BatteryMonitorTest, LaunchAt3PercentAnnouncesTenThenFiveOnTheNextReadings) {
    source->set(3, false);
    start();
    EXPECT_TRUE(events.empty());
    reading(3, false);
    EXPECT_EQ(events, (std::vector<Event>{Event::low(10)}));
    reading(3, false);
    EXPECT_EQ(events, (std::vector<Event>{Event::low(10), Event::low(5)}));
    reading(2, false);
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(BatteryMonitorTest, PlugAndUnplugAt50PercentWithoutLowEvents) {
    source->set(50, false);
    start();
    reading(50, true);
    reading(50, false);
    EXPECT_EQ(events, (std::vector<Event>{plugged, unplugged}));
}

TEST_F(BatteryMonitorTest, FirstReadingOnTheAdapterIsNoEventButTheUnplugIs) {
    source->set(90, true);
    start();
    EXPECT_TRUE(events.empty());
    reading(90, false);
    EXPECT_EQ(events, (std::vector<Event>{unplugged}));
}

TEST_F(BatteryMonitorTest, ReplugReArmsTheLowAlerts) {
    source->set(25, false);
    start();
    reading(19, false);
    reading(19, true);
    reading(19, false);
    EXPECT_EQ(events, (std::vector<Event>{Event::low(20), plugged, unplugged, Event::low(20)}));
}

TEST_F(BatteryMonitorTest, SteadyDischargeAnnouncesEachThresholdOnce) {
    source->set(100, false);
    start();
    for (int level = 99; level >= 0; --level) {
        reading(level, false);
    }
    EXPECT_EQ(events, (std::vector<Event>{Event::low(20), Event::low(10), Event::low(5)}));
}

TEST_F(BatteryMonitorTest, JumpFrom25To8AnnouncesOneThresholdPerReading) {
    source->set(25, false);
    start();
    reading(8, false);
    EXPECT_EQ(events, (std::vector<Event>{Event::low(20)}));
    reading(8, false);
    EXPECT_EQ(events, (std::vector<Event>{Event::low(20), Event::low(10)}));
}

}  // namespace
}  // namespace halvane
