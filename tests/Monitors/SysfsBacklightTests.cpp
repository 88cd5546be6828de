// Brightness read from a sysfs tree and written through a mocked logind.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QSignalSpy>

#include "FakeMediaKeyGrabber.h"
#include "Files.h"
#include "Halvane/Monitors/BrightnessMonitor.h"
#include "Halvane/Monitors/SystemHUDSuppressor.h"
#include "Halvane/Platform/linux/SysfsBacklight.h"
#include "LogCapture.h"
#include "MissingService.h"
#include "MockedSystemBus.h"
#include "QtTestEnvironment.h"

namespace halvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::waitUntil;
using test::writeFile;

const QString login1 = QStringLiteral("org.freedesktop.login1");
const QString mockInterface = QStringLiteral("org.freedesktop.DBus.Mock");

class SysfsBacklightTest : public ::testing::Test {
protected:
    void SetUp() override { test::qtApplication(); }

    // A backlight device as the kernel lays it out.
    fs::path addDevice(const std::string& name, long brightness, long max,
                       const std::string& type) {
        const fs::path device = root.path() / name;
        fs::create_directories(device);
        writeFile(device / "brightness", std::to_string(brightness) + "\n");
        writeFile(device / "max_brightness", std::to_string(max) + "\n");
        writeFile(device / "type", type + "\n");
        return device;
    }

    // logind with the caller's session, whose SetBrightness writes the sysfs
    // file the way the real one does.
    void startLogind() {
        if (!bus.ready()) {
            HALVANE_SKIP_UNLESS_CI(bus.why());
        }
        if (!bus.mock("logind", login1)) {
            HALVANE_SKIP_UNLESS_CI(bus.why());
        }
        call(QStringLiteral("/org/freedesktop/login1"), QStringLiteral("AddSession"),
             {QStringLiteral("auto"), QStringLiteral("seat0"), 1000U, QStringLiteral("tester"),
              true});
        const QString code = QStringLiteral(
                                 "open('%1/' + args[1] + '/brightness', 'w').write('%d\\n' % "
                                 "args[2]) if args[0] == 'backlight' else None")
                                 .arg(QString::fromStdString(root.path().string()));
        call(QString::fromLatin1(SysfsBacklight::defaultSessionPath), QStringLiteral("AddMethod"),
             {QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("SetBrightness"),
              QStringLiteral("ssu"), QString(), code});
    }
    void call(const QString& path, const QString& method, const QVariantList& arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall(login1, path, mockInterface, method);
        message.setArguments(arguments);
        const QDBusMessage reply = bus.connection().call(message);
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }

    test::TempDir root{"backlight"};
    test::MockedSystemBus bus;
};

TEST_F(SysfsBacklightTest, PrefersFirmwareThenPlatformThenRawDevices) {
    addDevice("intel_backlight", 600, 1200, "raw");
    addDevice("acpi_video0", 3, 10, "firmware");
    addDevice("dell_backlight", 5, 15, "platform");
    SysfsBacklight backlight(root.path(), bus.connection());
    EXPECT_EQ(backlight.deviceName(), "acpi_video0");
    EXPECT_FLOAT_EQ(backlight.read().value_or(-1), 0.3f);
}

TEST_F(SysfsBacklightTest, ReadsTheLevelAsAFractionOfTheMaximum) {
    const fs::path device = addDevice("intel_backlight", 600, 1200, "raw");
    SysfsBacklight backlight(root.path(), bus.connection());
    EXPECT_FLOAT_EQ(backlight.read().value_or(-1), 0.5f);
    writeFile(device / "brightness", "1500\n");
    EXPECT_FLOAT_EQ(backlight.read().value_or(-1), 1.0f) << "kept within the maximum";
    fs::remove(device / "brightness");
    EXPECT_EQ(backlight.read(), std::nullopt);
}

TEST_F(SysfsBacklightTest, WithoutADeviceThereIsNothingToReadAndTheMonitorShowsTheMiddle) {
    addDevice("broken", 0, 0, "raw");
    auto backlight = std::make_unique<SysfsBacklight>(root.path() / "absent", bus.connection());
    EXPECT_EQ(backlight->read(), std::nullopt);
    EXPECT_TRUE(backlight->deviceName().empty());
    EXPECT_TRUE(SysfsBacklight(root.path(), bus.connection()).deviceName().empty())
        << "a device without a maximum is no backlight";
    const BrightnessMonitor monitor(std::move(backlight));
    EXPECT_FLOAT_EQ(monitor.brightness(), 0.5f);
}

TEST_F(SysfsBacklightTest, MonitorWritesThroughLogindAndFollowsOtherChanges) {
    const fs::path device = addDevice("intel_backlight", 600, 1200, "raw");
    startLogind();
    BrightnessMonitor monitor(std::make_unique<SysfsBacklight>(root.path(), bus.connection()),
                              std::chrono::milliseconds(5));
    test::FakeKeyboard keyboard;
    SystemHUDSuppressor keys{std::make_unique<test::FakeMediaKeyGrabber>(keyboard)};
    keys.start();
    monitor.start(keys);
    EXPECT_FLOAT_EQ(monitor.brightness(), 0.5f);

    QSignalSpy changed(&monitor, &BrightnessMonitor::brightnessChanged);
    ASSERT_TRUE(keyboard.press(MediaKey::brightnessUp));
    EXPECT_TRUE(waitUntil([&] { return readFile(device / "brightness") == "675\n"; }))
        << readFile(device / "brightness");

    writeFile(device / "brightness", "900\n");
    EXPECT_TRUE(waitUntil([&] { return monitor.brightness() == 0.75f; }));
    EXPECT_EQ(changed.count(), 2) << "our own write is not reported again by the poll";
}

TEST_F(SysfsBacklightTest, ARefusedWriteIsLoggedOnce) {
    addDevice("intel_backlight", 600, 1200, "raw");
    if (!bus.ready()) {
        HALVANE_SKIP_UNLESS_CI(bus.why());
    }
    if (!bus.mock("logind", login1)) {
        HALVANE_SKIP_UNLESS_CI(bus.why());
    }
    const test::LogCapture log;
    SysfsBacklight backlight(root.path(), bus.connection());
    backlight.write(0.2f);
    backlight.write(0.3f);
    // Replies come back in order: once this one is in, both writes are.
    QDBusMessage ping = QDBusMessage::createMethodCall(
        login1, QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    QDBusPendingCallWatcher sentinel(bus.connection().asyncCall(ping));
    QSignalSpy answered(&sentinel, &QDBusPendingCallWatcher::finished);
    ASSERT_TRUE(answered.wait(10000));
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 1u) << ::testing::PrintToString(lines);
    EXPECT_EQ(lines[0].rfind("Halvane: logind refused to set the backlight brightness: ", 0), 0u)
        << lines[0];
}

}  // namespace
}  // namespace halvane
