#include "NotchScreen.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>

#include "NotchLog.h"

namespace notchkit {

namespace {

constexpr double fallbackNotchWidth = 300;

std::optional<QSizeF> notchFromEnvironment() {
    const QString text = qEnvironmentVariable(NotchScreen::notchVariable);
    if (text.isEmpty()) {
        return std::nullopt;
    }
    const auto size = NotchScreen::parseNotchSize(text);
    if (!size) {
        static bool warned = false;
        if (!warned) {
            warned = true;
            qCWarning(notchKitLog).noquote()
                << NotchScreen::notchVariable << "must look like 200x32, not" << text;
        }
    }
    return size;
}

}  // namespace

NotchScreenGeometry NotchScreen::geometry(const QScreen* screen) {
    if (screen == nullptr) {
        return {};
    }
    NotchScreenGeometry geometry{QRectF(screen->geometry()), QRectF(screen->availableGeometry()),
                                 std::nullopt};
    if (screen == QGuiApplication::primaryScreen()) {
        geometry.notch = notchFromEnvironment();
    }
    return geometry;
}

double NotchScreen::menubarHeight(const NotchScreenGeometry& screen) {
    const double inset = std::max(0.0, screen.visibleFrame.top() - screen.frame.top());
    return screen.notch ? std::max(inset, screen.notch->height()) : inset;
}

QRectF NotchScreen::notchFrameWithTopBarAsBackup(const NotchScreenGeometry& screen) {
    const double midX = screen.frame.center().x();
    if (screen.notch) {
        const QSizeF notch = *screen.notch;
        return {midX - notch.width() / 2, screen.frame.top(), notch.width(), notch.height()};
    }
    return {midX - fallbackNotchWidth / 2, screen.frame.top(), fallbackNotchWidth,
            menubarHeight(screen)};
}

NotchStyle NotchScreen::effectiveStyle(NotchStyle configured, const NotchScreenGeometry& screen) {
    if (!configured.isAutomatic()) {
        return configured;
    }
    return screen.notch ? NotchStyle::notch(15, 20) : NotchStyle::floating(20);
}

NotchStyle NotchScreen::effectiveStyle(NotchStyle configured, const QScreen* screen) {
    return effectiveStyle(configured, geometry(screen));
}

std::optional<QSizeF> NotchScreen::parseNotchSize(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d{1,5})x(\\d{1,5})\\s*$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    if (width <= 0 || height <= 0) {
        return std::nullopt;
    }
    return QSizeF(width, height);
}

}  // namespace notchkit
