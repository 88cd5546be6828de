#pragma once

#include <QRect>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "ServiceProcess.h"
#include "TempDir.h"

namespace halvane::test {

// A private session bus that starts the desktop's accessibility bus on
// demand, as a desktop session does. Programs started with environment()
// publish their widgets there, and a test can find them by name: where a
// button or a row is on screen, to click it as a person would. When
// something cannot start, ready() is false and why() says why.
class AccessibilityBus final {
public:
    // display: the X server the published programs show their windows on.
    explicit AccessibilityBus(const std::string& display);
    ~AccessibilityBus();
    AccessibilityBus(const AccessibilityBus&) = delete;
    AccessibilityBus& operator=(const AccessibilityBus&) = delete;

    bool ready() const { return m_ready; }
    const std::string& why() const { return m_why; }
    // The session bus's address.
    const std::string& address() const { return m_address; }

    // What a program needs in its environment to publish its widgets here.
    std::map<std::string, std::optional<std::string>> environment() const;

    // Where on screen the first showing element of the program with this pid
    // whose name is `name` lies; nothing while it is not (yet) published.
    std::optional<QRect> extentsOf(pid_t pid, const QString& name);

private:
    TempDir m_runtime{"a11y-runtime"};
    std::unique_ptr<ServiceProcess> m_bus;
    std::string m_display;
    std::string m_address;
    QString m_connectionName;
    bool m_ready = false;
    std::string m_why;
};

}  // namespace halvane::test
