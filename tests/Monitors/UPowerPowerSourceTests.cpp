// The battery monitor end to end against UPower, mocked on a private bus.
#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QSignalSpy>

#include "Halvane/Monitors/BatteryMonitor.h"
#include "Halvane/Platform/linux/UPowerPowerSource.h"
#include "MissingService.h"
#include "MockedSystemBus.h"
#include "QtTestEnvironment.h"

namespace halvane {
namespace {

using Event = BatteryMonitor::Event;
using test::waitUntil;

const QString upower = QStringLiteral("org.freedesktop.UPower");
const QString managerPath = QStringLiteral("/org/freedesktop/UPower");
const QString displayDevice = QStringLiteral("/org/freedesktop/UPower/devices/DisplayDevice");
constexpr unsigned charging = 1;
constexpr unsigned discharging = 2;

class UPowerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!bus.ready()) {
            HALVANE_SKIP_UNLESS_CI(bus.why());
        }
    }

    void startUPower() {
        if (!bus.mock("upower", upower)) {
            HALVANE_SKIP_UNLESS_CI(bus.why());
        }
    }
    // What the kernel and upowerd would report for a laptop's battery.
    void setBattery(double percentage, unsigned state) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            upower, managerPath, QStringLiteral("org.freedesktop.DBus.Mock"),
            QStringLiteral("SetDeviceProperties"));
        call << QVariant::fromValue(QDBusObjectPath(displayDevice))
             << QVariantMap{{QStringLiteral("IsPresent"), true},
                            {QStringLiteral("Type"), 2U},
                            {QStringLiteral("Percentage"), percentage},
                            {QStringLiteral("State"), state}};
        const QDBusMessage reply = bus.connection().call(call);
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }
    void setOnBattery(bool onBattery) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            upower, managerPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Set"));
        call << upower << QStringLiteral("OnBattery")
             << QVariant::fromValue(QDBusVariant(onBattery));
        const QDBusMessage reply = bus.connection().call(call);
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }

    test::MockedSystemBus bus;
};

TEST_F(UPowerTest, WithoutUPowerThereAreNoPowerSources) {
    UPowerPowerSource source(bus.connection());
    EXPECT_TRUE(source.descriptions().empty());

    BatteryMonitor monitor{std::make_unique<UPowerPowerSource>(bus.connection())};
    monitor.start();
    EXPECT_EQ(monitor.percentage(), 100);
    EXPECT_FALSE(monitor.isPluggedIn());
}

TEST_F(UPowerTest, ADesktopWithoutBatteryHasNoPowerSources) {
    startUPower();
    UPowerPowerSource source(bus.connection());
    EXPECT_TRUE(source.descriptions().empty());
}

TEST_F(UPowerTest, DescribesTheDisplayDeviceAndTheAdapter) {
    startUPower();
    setBattery(57.8, charging);
    setOnBattery(false);
    UPowerPowerSource source(bus.connection());
    const auto descriptions = source.descriptions();
    ASSERT_EQ(descriptions.size(), 1u);
    EXPECT_EQ(descriptions[0].currentCapacity, 57);
    EXPECT_EQ(descriptions[0].maxCapacity, 100);
    EXPECT_EQ(descriptions[0].powerSourceState, std::string(acPowerState));
    EXPECT_EQ(descriptions[0].isCharging, true);

    setBattery(57.8, discharging);
    setOnBattery(true);
    EXPECT_EQ(source.descriptions()[0].powerSourceState, std::string(batteryPowerState));
    EXPECT_EQ(source.descriptions()[0].isCharging, false);
}

TEST_F(UPowerTest, MonitorFollowsUnplugDischargeAndReplug) {
    startUPower();
    setBattery(50, discharging);
    setOnBattery(true);
    BatteryMonitor monitor{std::make_unique<UPowerPowerSource>(bus.connection())};
    std::vector<Event> events;
    QObject::connect(&monitor, &BatteryMonitor::announced,
                     [&events](Event event) { events.push_back(event); });
    monitor.start();
    EXPECT_EQ(monitor.percentage(), 50);
    EXPECT_FALSE(monitor.isPluggedIn());

    setOnBattery(false);
    ASSERT_TRUE(waitUntil([&] { return monitor.isPluggedIn(); }));
    setOnBattery(true);
    ASSERT_TRUE(waitUntil([&] { return !monitor.isPluggedIn(); }));
    setBattery(15, discharging);
    ASSERT_TRUE(waitUntil([&] { return monitor.percentage() == 15; }));
    EXPECT_EQ(events, (std::vector<Event>{
                          {Event::Kind::plugged}, {Event::Kind::unplugged}, Event::low(20)}));

    QSignalSpy chargingChanged(&monitor, &BatteryMonitor::isChargingChanged);
    setOnBattery(false);
    setBattery(15, charging);
    ASSERT_TRUE(chargingChanged.wait(10000));
    EXPECT_TRUE(monitor.isCharging());
    EXPECT_TRUE(monitor.isPluggedIn());
}

TEST_F(UPowerTest, UPowerStartingLaterIsFollowed) {
    BatteryMonitor monitor{std::make_unique<UPowerPowerSource>(bus.connection())};
    monitor.start();
    startUPower();
    setBattery(42, discharging);
    setOnBattery(true);
    EXPECT_TRUE(waitUntil([&] { return monitor.percentage() == 42; }));
}

}  // namespace
}  // namespace halvane
