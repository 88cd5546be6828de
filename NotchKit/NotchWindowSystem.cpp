#include "NotchWindowSystem.h"

#include <QGuiApplication>

#include "QtNotchWindowSystem.h"
#include "X11NotchWindowSystem.h"

namespace notchkit {

std::unique_ptr<NotchWindowSystem> NotchWindowSystem::forPlatform() {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
            if (xcb_connection_t* connection = x11->connection()) {
                return std::make_unique<X11NotchWindowSystem>(connection);
            }
        }
    }
    const QString platform = QGuiApplication::platformName();
    const bool headless =
        platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
    return std::make_unique<QtNotchWindowSystem>(headless);
}

}  // namespace notchkit
