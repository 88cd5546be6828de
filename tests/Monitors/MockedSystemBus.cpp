#include "MockedSystemBus.h"

#include <unistd.h>

#include <QDBusConnectionInterface>

#include "QtTestEnvironment.h"

namespace halvane::test {

MockedSystemBus::MockedSystemBus() {
    qtApplication();
    if (::access("/usr/bin/dbus-daemon", X_OK) != 0) {
        m_why = "dbus-daemon is not installed (package dbus)";
        return;
    }
    m_daemon = std::make_unique<ServiceProcess>(std::vector<std::string>{
        "/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address"});
    const auto address = m_daemon->readLine(std::chrono::seconds(10));
    if (!address || address->empty()) {
        m_why = "dbus-daemon did not start: " + m_daemon->errorOutput();
        return;
    }
    m_address = *address;
    m_connectionName = QStringLiteral("halvane-test-bus-%1").arg(::getpid());
    const QDBusConnection bus =
        QDBusConnection::connectToBus(QString::fromStdString(m_address), m_connectionName);
    if (!bus.isConnected()) {
        m_why = "cannot connect to the private bus: " + bus.lastError().message().toStdString();
        return;
    }
    m_ready = true;
}

MockedSystemBus::~MockedSystemBus() {
    m_mocks.clear();
    if (!m_connectionName.isEmpty()) {
        QDBusConnection::disconnectFromBus(m_connectionName);
    }
}

QDBusConnection MockedSystemBus::connection() const {
    return QDBusConnection(m_connectionName);
}

bool MockedSystemBus::mock(const std::string& templateName, const QString& busName) {
    if (!m_ready) {
        return false;
    }
    if (::access("/usr/bin/python3", X_OK) != 0) {
        m_why = "python3 is not installed";
        return false;
    }
    // Debian's interpreter, which has python3-dbusmock, whatever python3 is
    // first on PATH.
    const std::string log = (m_dir / (templateName + ".log")).string();
    auto& service = m_mocks.emplace_back(std::make_unique<ServiceProcess>(
        std::vector<std::string>{"/usr/bin/python3", "-m", "dbusmock", "--system", "--template",
                                 templateName, "--logfile", log},
        std::map<std::string, std::optional<std::string>>{{"DBUS_SYSTEM_BUS_ADDRESS", m_address}}));
    const QDBusConnection bus = connection();
    const bool owned = waitUntil([&] {
        return !service->running() || bus.interface()->isServiceRegistered(busName).value();
    });
    if (!owned || !bus.interface()->isServiceRegistered(busName).value()) {
        m_why = "dbusmock's " + templateName +
                " template did not start (package python3-dbusmock): " + service->errorOutput();
        return false;
    }
    return true;
}

}  // namespace halvane::test
