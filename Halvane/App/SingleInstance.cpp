#include "Halvane/App/SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <unistd.h>

#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Platform/posix/RuntimeDirectory.h"
#include "Halvane/Platform/posix/UnixSocket.h"

namespace halvane {

namespace {

constexpr int activateTimeoutMs = 3000;

}  // namespace

bool SingleInstance::isUsersSocket(const std::string& socketPath) {
    return socketPath == runtime_directory::hookSocketIn(runtime_directory::locate(::getuid()));
}

bool SingleInstance::handOver(const std::string& socketPath, Request request) {
    if (!unix_socket::ownListenerAt(socketPath)) {
        return false;
    }
    // Only the user's own socket meets on the bus: a copy on a socket of its
    // own (a test, a benchmark, the demo) must not reach the user's Halvane.
    if (!isUsersSocket(socketPath)) {
        log::error("halvane: a Halvane already serves " + socketPath);
        return true;
    }
    const QString method = request == Request::showSessions   ? QStringLiteral("ShowSessions")
                           : request == Request::showSettings ? QStringLiteral("ShowSettings")
                                                              : QStringLiteral("Activate");
    const QDBusMessage call =
        QDBusMessage::createMethodCall(serviceName, objectPath, serviceName, method);
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(call, QDBus::Block, activateTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        if (request != Request::showSessions) {
            log::error("halvane: Halvane is already running; its settings are open now");
        } else if (const int count = reply.arguments().value(0).toInt(); count > 0) {
            log::error("halvane: Halvane is already running; its session list is open now");
        } else {
            log::error("halvane: Halvane is running, with no Claude Code sessions to show yet");
        }
    } else {
        log::error("halvane: Halvane is already running (it serves " + socketPath +
                   "); quit it from its tray menu to start another");
    }
    return true;
}

SingleInstance::SingleInstance(std::function<int()> sessionCount, QObject* parent)
    : QObject(parent), m_sessionCount(std::move(sessionCount)) {
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
    emit settingsRequested();
}

void SingleInstance::ShowSettings() {
    emit settingsRequested();
}

int SingleInstance::ShowSessions() {
    emit sessionsRequested();
    return m_sessionCount ? m_sessionCount() : 0;
}

}  // namespace halvane
