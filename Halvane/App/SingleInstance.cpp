#include "Halvane/App/SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Platform/posix/UnixSocket.h"
#include "HalvaneProtocol/SocketPath.h"

namespace halvane {

namespace {

constexpr int activateTimeoutMs = 3000;

}  // namespace

bool SingleInstance::handOver(const std::string& socketPath) {
    if (!unix_socket::ownListenerAt(socketPath)) {
        return false;
    }
    // Only the product's socket meets on the bus: a copy on a socket of its
    // own (a test, a benchmark) must not reach the user's Halvane.
    if (socketPath != halvane::socketPath) {
        log::error("halvane: a Halvane already serves " + socketPath);
        return true;
    }
    QDBusMessage activate = QDBusMessage::createMethodCall(serviceName, objectPath, serviceName,
                                                           QStringLiteral("Activate"));
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(activate, QDBus::Block, activateTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        log::error("halvane: Halvane is already running; its settings are open now");
    } else {
        log::error("halvane: Halvane is already running (it serves " + socketPath +
                   "); quit it from its tray menu to start another");
    }
    return true;
}

SingleInstance::SingleInstance(std::function<void()> onActivate, QObject* parent)
    : QObject(parent), m_onActivate(std::move(onActivate)) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    if (!bus.registerObject(objectPath, this, QDBusConnection::ExportAllSlots)) {
        return;
    }
    m_registered = bus.registerService(serviceName);
    if (!m_registered) {
        bus.unregisterObject(objectPath);
    }
}

SingleInstance::~SingleInstance() {
    if (m_registered) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterService(serviceName);
        bus.unregisterObject(objectPath);
    }
}

void SingleInstance::Activate() {
    if (m_onActivate) {
        m_onActivate();
    }
}

}  // namespace halvane
