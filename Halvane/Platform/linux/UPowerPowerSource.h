#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <chrono>
#include <functional>

#include "Halvane/Platform/PowerSource.h"

class QDBusServiceWatcher;

namespace halvane {

// The power sources as UPower sees them: its display device (the combined
// batteries) and whether the machine runs on battery.
class UPowerPowerSource final : public QObject, public PowerSource {
    Q_OBJECT

public:
    // A bounded wait: a wedged UPower must not freeze the notch.
    static constexpr std::chrono::milliseconds defaultCallTimeout{2000};

    explicit UPowerPowerSource(QDBusConnection bus = QDBusConnection::systemBus(),
                               std::chrono::milliseconds callTimeout = defaultCallTimeout);
    ~UPowerPowerSource() override;

    std::vector<PowerSourceDescription> descriptions() override;
    bool watch(std::function<void()> onChange) override;

private:
    // QtDBus delivers bus signals only to named slots.
    Q_SLOT void handlePropertiesChanged(const QString& interface, const QVariantMap& changed,
                                        const QStringList& invalidated);
    void notify();

    QDBusConnection m_bus;
    int m_callTimeout;
    std::function<void()> m_onChange;
    QDBusServiceWatcher* m_serviceWatcher = nullptr;
};

}  // namespace halvane
