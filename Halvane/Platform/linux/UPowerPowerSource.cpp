#include "Halvane/Platform/linux/UPowerPowerSource.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <algorithm>
#include <cmath>

namespace halvane {

namespace {

const QString service = QStringLiteral("org.freedesktop.UPower");
const QString managerPath = QStringLiteral("/org/freedesktop/UPower");
const QString managerInterface = QStringLiteral("org.freedesktop.UPower");
const QString displayDevicePath = QStringLiteral("/org/freedesktop/UPower/devices/DisplayDevice");
const QString deviceInterface = QStringLiteral("org.freedesktop.UPower.Device");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr unsigned deviceStateCharging = 1;

QDBusMessage propertiesCall(const QString& path, const QString& method) {
    return QDBusMessage::createMethodCall(service, path, propertiesInterface, method);
}

}  // namespace

UPowerPowerSource::UPowerPowerSource(QDBusConnection bus, std::chrono::milliseconds callTimeout)
    : m_bus(std::move(bus)), m_callTimeout(static_cast<int>(callTimeout.count())) {}

UPowerPowerSource::~UPowerPowerSource() = default;

std::vector<PowerSourceDescription> UPowerPowerSource::descriptions() {
    if (!m_bus.isConnected()) {
        return {};
    }
    QDBusMessage getAll = propertiesCall(displayDevicePath, QStringLiteral("GetAll"));
    getAll << deviceInterface;
    const QDBusMessage device = m_bus.call(getAll, QDBus::Block, m_callTimeout);
    if (device.type() != QDBusMessage::ReplyMessage || device.arguments().isEmpty()) {
        return {};
    }
    const QVariantMap properties = qdbus_cast<QVariantMap>(device.arguments().constFirst());
    // The display device exists even without batteries; it is only a power
    // source when a battery is present.
    if (!properties.value(QStringLiteral("IsPresent")).toBool()) {
        return {};
    }

    PowerSourceDescription description;
    const QVariant percentage = properties.value(QStringLiteral("Percentage"));
    if (percentage.canConvert<double>()) {
        description.currentCapacity =
            static_cast<int>(std::clamp(percentage.toDouble(), 0.0, 100.0));
        description.maxCapacity = 100;
    }
    const QVariant state = properties.value(QStringLiteral("State"));
    if (state.isValid()) {
        description.isCharging = state.toUInt() == deviceStateCharging;
    }

    QDBusMessage get = propertiesCall(managerPath, QStringLiteral("Get"));
    get << managerInterface << QStringLiteral("OnBattery");
    const QDBusMessage manager = m_bus.call(get, QDBus::Block, m_callTimeout);
    if (manager.type() == QDBusMessage::ReplyMessage && !manager.arguments().isEmpty()) {
        const bool onBattery =
            qdbus_cast<QDBusVariant>(manager.arguments().constFirst()).variant().toBool();
        description.powerSourceState = std::string(onBattery ? batteryPowerState : acPowerState);
    }
    return {description};
}

bool UPowerPowerSource::watch(std::function<void()> onChange) {
    const bool first = !m_onChange;
    m_onChange = std::move(onChange);
    if (!first) {
        return true;
    }
    if (!m_bus.isConnected()) {
        return false;
    }
    const auto slot = SLOT(handlePropertiesChanged(QString, QVariantMap, QStringList));
    const bool device = m_bus.connect(service, displayDevicePath, propertiesInterface,
                                      QStringLiteral("PropertiesChanged"), this, slot);
    const bool manager = m_bus.connect(service, managerPath, propertiesInterface,
                                       QStringLiteral("PropertiesChanged"), this, slot);
    // UPower started, restarted or stopped: everything may be different.
    m_serviceWatcher = new QDBusServiceWatcher(
        service, m_bus,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration,
        this);
    connect(m_serviceWatcher, &QDBusServiceWatcher::serviceRegistered, this,
            &UPowerPowerSource::notify);
    connect(m_serviceWatcher, &QDBusServiceWatcher::serviceUnregistered, this,
            &UPowerPowerSource::notify);
    return device && manager;
}

void UPowerPowerSource::handlePropertiesChanged(const QString& interface, const QVariantMap&,
                                                const QStringList&) {
    if (interface == deviceInterface || interface == managerInterface) {
        notify();
    }
}

void UPowerPowerSource::notify() {
    if (m_onChange) {
        m_onChange();
    }
}

std::unique_ptr<PowerSource> makeSystemPowerSource() {
    return std::make_unique<UPowerPowerSource>();
}

}  // namespace halvane
