#pragma once

#include <QDBusConnection>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "ServiceProcess.h"
#include "TempDir.h"

namespace halvane::test {

// A private message bus standing in for the system bus, with system services
// mocked on it by python3-dbusmock templates. When something cannot start,
// ready() is false and why() says why, for GTEST_SKIP.
class MockedSystemBus final {
public:
    MockedSystemBus();
    ~MockedSystemBus();
    MockedSystemBus(const MockedSystemBus&) = delete;
    MockedSystemBus& operator=(const MockedSystemBus&) = delete;

    bool ready() const { return m_ready; }
    const std::string& why() const { return m_why; }
    // This process's connection to the bus.
    QDBusConnection connection() const;

    // Runs dbusmock's template on the bus and waits until it owns busName.
    bool mock(const std::string& templateName, const QString& busName);

private:
    TempDir m_dir{"bus"};
    std::unique_ptr<ServiceProcess> m_daemon;
    std::vector<std::unique_ptr<ServiceProcess>> m_mocks;
    std::string m_address;
    QString m_connectionName;
    bool m_ready = false;
    std::string m_why;
};

}  // namespace halvane::test
