#include "AccessibilityBus.h"

#include <unistd.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QList>
#include <atomic>
#include <chrono>
#include <utility>

#include "QtTestEnvironment.h"

namespace halvane::test {

namespace {

constexpr const char* busLauncher = "/usr/libexec/at-spi-bus-launcher";
constexpr const char* accessible = "org.a11y.atspi.Accessible";
// Bit 25 of the first state word: the element is on screen.
constexpr unsigned stateShowing = 1U << 25;
constexpr int walkDepth = 40;

struct Element {
    QString service;
    QString path;
};

QDBusMessage call(QDBusConnection& bus, const Element& element, const char* interface,
                  const char* method, const QVariantList& arguments = {}) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(element.service, element.path, interface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, 2000);
}

QList<Element> childrenOf(QDBusConnection& bus, const Element& element) {
    QList<Element> children;
    const QDBusMessage reply = call(bus, element, accessible, "GetChildren");
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return children;
    }
    const auto argument = reply.arguments().constFirst().value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QString service;
        QDBusObjectPath path;
        argument.beginStructure();
        argument >> service >> path;
        argument.endStructure();
        children.append({service, path.path()});
    }
    argument.endArray();
    return children;
}

QString nameOf(QDBusConnection& bus, const Element& element) {
    const QDBusMessage reply = call(bus, element, "org.freedesktop.DBus.Properties", "Get",
                                    {QString(accessible), QString("Name")});
    return reply.arguments().isEmpty()
               ? QString()
               : reply.arguments().constFirst().value<QDBusVariant>().variant().toString();
}

bool showing(QDBusConnection& bus, const Element& element) {
    const QDBusMessage reply = call(bus, element, accessible, "GetState");
    if (reply.arguments().isEmpty()) {
        return false;
    }
    const auto argument = reply.arguments().constFirst().value<QDBusArgument>();
    QList<uint> words;
    argument >> words;
    return !words.isEmpty() && (words.constFirst() & stateShowing) != 0;
}

std::optional<QRect> extentsOnScreen(QDBusConnection& bus, const Element& element) {
    const QDBusMessage reply =
        call(bus, element, "org.a11y.atspi.Component", "GetExtents", {uint(0)});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return std::nullopt;
    }
    const auto argument = reply.arguments().constFirst().value<QDBusArgument>();
    int x = 0, y = 0, width = 0, height = 0;
    argument.beginStructure();
    argument >> x >> y >> width >> height;
    argument.endStructure();
    return QRect(x, y, width, height);
}

std::optional<Element> find(QDBusConnection& bus, const Element& element, const QString& name,
                            int depth) {
    if (depth > walkDepth) {
        return std::nullopt;
    }
    if (nameOf(bus, element) == name && showing(bus, element)) {
        return element;
    }
    for (const Element& child : childrenOf(bus, element)) {
        if (auto found = find(bus, child, name, depth + 1)) {
            return found;
        }
    }
    return std::nullopt;
}

}  // namespace

AccessibilityBus::AccessibilityBus(const std::string& display) : m_display(display) {
    qtApplication();
    if (::access("/usr/bin/dbus-daemon", X_OK) != 0 || ::access(busLauncher, X_OK) != 0) {
        m_why =
            "dbus-daemon or at-spi-bus-launcher is not installed (packages dbus, "
            "at-spi2-core)";
        return;
    }
    // Services the bus starts on demand inherit its environment: the
    // accessibility bus puts its socket under XDG_RUNTIME_DIR.
    m_bus = std::make_unique<ServiceProcess>(
        std::vector<std::string>{"/usr/bin/dbus-daemon", "--session", "--nofork",
                                 "--print-address"},
        std::map<std::string, std::optional<std::string>>{
            {"XDG_RUNTIME_DIR", m_runtime.path().string()}, {"DISPLAY", m_display}});
    const auto address = m_bus->readLine(std::chrono::seconds(10));
    if (!address || address->empty()) {
        m_why = "dbus-daemon did not start: " + m_bus->errorOutput();
        return;
    }
    m_address = *address;
    static std::atomic<int> counter{0};
    m_connectionName = QStringLiteral("halvane-test-accessibility-%1").arg(counter++);
    m_ready = true;
}

AccessibilityBus::~AccessibilityBus() {
    if (!m_connectionName.isEmpty()) {
        QDBusConnection::disconnectFromBus(m_connectionName + "-a11y");
        QDBusConnection::disconnectFromBus(m_connectionName);
    }
}

std::map<std::string, std::optional<std::string>> AccessibilityBus::environment() const {
    return {
        {"DBUS_SESSION_BUS_ADDRESS", m_address},
        {"XDG_RUNTIME_DIR", m_runtime.path().string()},
        {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1"},
    };
}

std::optional<QRect> AccessibilityBus::extentsOf(pid_t pid, const QString& name) {
    if (!m_ready) {
        return std::nullopt;
    }
    QDBusConnection session =
        QDBusConnection::connectToBus(QString::fromStdString(m_address), m_connectionName);
    const QDBusMessage reply =
        session.call(QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus",
                                                    "GetAddress"),
                     QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return std::nullopt;
    }
    QDBusConnection bus = QDBusConnection::connectToBus(reply.arguments().constFirst().toString(),
                                                        m_connectionName + "-a11y");
    if (!bus.isConnected()) {
        return std::nullopt;
    }
    const Element root{"org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root"};
    for (const Element& application : childrenOf(bus, root)) {
        const QDBusReply<uint> owner = bus.interface()->servicePid(application.service);
        if (!owner.isValid() || static_cast<pid_t>(owner.value()) != pid) {
            continue;
        }
        if (const auto element = find(bus, application, name, 0)) {
            return extentsOnScreen(bus, *element);
        }
    }
    return std::nullopt;
}

}  // namespace halvane::test
