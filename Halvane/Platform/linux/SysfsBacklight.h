#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>

#include "Halvane/Platform/Backlight.h"

namespace halvane {

// The backlight under /sys/class/backlight, read from its files and written
// through logind, which lets the session's user set it without privileges.
class SysfsBacklight final : public QObject, public Backlight {
    Q_OBJECT

public:
    static constexpr const char* defaultRoot = "/sys/class/backlight";
    static constexpr const char* defaultSessionPath = "/org/freedesktop/login1/session/auto";

    explicit SysfsBacklight(std::filesystem::path root = defaultRoot,
                            QDBusConnection bus = QDBusConnection::systemBus(),
                            QString sessionPath = QString::fromLatin1(defaultSessionPath));
    ~SysfsBacklight() override;

    std::optional<float> read() override;
    void write(float value) override;

    // The chosen device's name; empty without a backlight.
    const std::string& deviceName() const { return m_deviceName; }

private:
    std::filesystem::path m_device;
    std::string m_deviceName;
    long m_maxBrightness = 0;
    QDBusConnection m_bus;
    QString m_sessionPath;
    bool m_reportedWriteFailure = false;
};

}  // namespace halvane
