#include "Halvane/Platform/linux/AtspiTabSelector.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QList>
#include <atomic>

namespace halvane {

namespace {

constexpr const char* accessibleInterface = "org.a11y.atspi.Accessible";
constexpr unsigned rolePageTab = 37;
constexpr int callTimeoutMs = 500;
// Made for each search and closed after it: the accessibility bus may have
// restarted at another address since the last one. Searches may overlap on
// worker threads, so each connection has a name of its own.
QString accessibilityConnectionName() {
    static std::atomic<unsigned> searches{0};
    return QStringLiteral("halvane-accessibility-%1").arg(++searches);
}

QDBusMessage call(QDBusConnection& bus, const QString& service, const QString& path,
                  const char* interface, const char* method, const QVariantList& arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, callTimeoutMs);
}

// GetChildren answers a(so): (bus name, object path) pairs.
QList<std::pair<QString, QString>> children(QDBusConnection& bus, const QString& service,
                                            const QString& path) {
    QList<std::pair<QString, QString>> result;
    const QDBusMessage reply = call(bus, service, path, accessibleInterface, "GetChildren");
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return result;
    }
    const auto argument = reply.arguments().constFirst().value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QString childService;
        QDBusObjectPath childPath;
        argument.beginStructure();
        argument >> childService >> childPath;
        argument.endStructure();
        result.append({childService, childPath.path()});
    }
    argument.endArray();
    return result;
}

std::optional<QDBusConnection> accessibilityBus(const QString& name) {
    QDBusMessage request = QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus",
                                                          "org.a11y.Bus", "GetAddress");
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(request, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return std::nullopt;
    }
    const QString address = reply.arguments().constFirst().toString();
    QDBusConnection bus = QDBusConnection::connectToBus(address, name);
    if (!bus.isConnected()) {
        QDBusConnection::disconnectFromBus(name);
        return std::nullopt;
    }
    return bus;
}

}  // namespace

bool AtspiTabSelector::walk(QDBusConnection& bus, const Node& node, int depth,
                            const QString& needle) {
    if (depth > m_maxDepth) {
        return false;
    }
    const QDBusMessage role = call(bus, node.service, node.path, accessibleInterface, "GetRole");
    if (role.type() == QDBusMessage::ReplyMessage && !role.arguments().isEmpty() &&
        role.arguments().constFirst().toUInt() == rolePageTab) {
        const QDBusMessage name =
            call(bus, node.service, node.path, "org.freedesktop.DBus.Properties", "Get",
                 {QString(accessibleInterface), QString("Name")});
        const QString title =
            name.arguments().isEmpty()
                ? QString()
                : name.arguments().constFirst().value<QDBusVariant>().variant().toString();
        if (title.contains(needle, Qt::CaseInsensitive)) {
            // Tabs are pressed through their first action; widget kits that
            // expose none select through the tab list instead.
            const QDBusMessage pressed =
                call(bus, node.service, node.path, "org.a11y.atspi.Action", "DoAction", {0});
            if (pressed.type() == QDBusMessage::ReplyMessage && !pressed.arguments().isEmpty() &&
                pressed.arguments().constFirst().toBool()) {
                return true;
            }
            const QDBusMessage index =
                call(bus, node.service, node.path, accessibleInterface, "GetIndexInParent");
            const QDBusMessage parent =
                call(bus, node.service, node.path, "org.freedesktop.DBus.Properties", "Get",
                     {QString(accessibleInterface), QString("Parent")});
            if (!index.arguments().isEmpty() && !parent.arguments().isEmpty()) {
                const auto parentArgument = parent.arguments()
                                                .constFirst()
                                                .value<QDBusVariant>()
                                                .variant()
                                                .value<QDBusArgument>();
                QString parentService;
                QDBusObjectPath parentPath;
                parentArgument.beginStructure();
                parentArgument >> parentService >> parentPath;
                parentArgument.endStructure();
                const QDBusMessage selected =
                    call(bus, parentService, parentPath.path(), "org.a11y.atspi.Selection",
                         "SelectChild", {index.arguments().constFirst().toInt()});
                return selected.type() == QDBusMessage::ReplyMessage &&
                       !selected.arguments().isEmpty() &&
                       selected.arguments().constFirst().toBool();
            }
            return false;
        }
    }
    for (const auto& [service, path] : children(bus, node.service, node.path)) {
        if (walk(bus, Node{service, path}, depth + 1, needle)) {
            return true;
        }
    }
    return false;
}

bool AtspiTabSelector::selectTab(std::int32_t pid, const std::string& needle) {
    if (needle.empty()) {
        return false;
    }
    const QString connection = accessibilityConnectionName();
    auto bus = accessibilityBus(connection);
    if (!bus) {
        return false;
    }
    const QString wanted = QString::fromStdString(needle);
    bool pressed = false;
    for (const auto& [service, path] :
         children(*bus, "org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root")) {
        const QDBusReply<uint> owner = bus->interface()->servicePid(service);
        if (owner.isValid() && static_cast<std::int32_t>(owner.value()) == pid &&
            walk(*bus, Node{service, path}, 0, wanted)) {
            pressed = true;
            break;
        }
    }
    bus.reset();
    QDBusConnection::disconnectFromBus(connection);
    return pressed;
}

}  // namespace halvane
