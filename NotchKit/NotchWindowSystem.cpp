#include "NotchWindowSystem.h"

#include <QGuiApplication>

#include "QtNotchWindowSystem.h"
#include "X11NotchWindowSystem.h"

namespace notchkit {

namespace {

// The screen of DISPLAY ("host:display.screen"), 0 when it names none.
int x11ScreenNumber() {
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon + 1);
    if (colon < 0 || dot < 0) {
        return 0;
    }
    bool ok = false;
    const int screen = display.mid(dot + 1).toInt(&ok);
    return ok && screen >= 0 ? screen : 0;
}

}  // namespace

std::unique_ptr<NotchWindowSystem> NotchWindowSystem::forPlatform() {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
            if (xcb_connection_t* connection = x11->connection()) {
                return std::make_unique<X11NotchWindowSystem>(connection, x11ScreenNumber());
            }
        }
    }
    const QString platform = QGuiApplication::platformName();
    const bool headless =
        platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
    return std::make_unique<QtNotchWindowSystem>(headless);
}

}  // namespace notchkit
