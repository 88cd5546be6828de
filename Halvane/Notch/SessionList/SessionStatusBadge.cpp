#include "Halvane/Notch/SessionList/SessionStatusBadge.h"

#include <QPainter>

#include "Halvane/Theme/IconGlyphs.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

namespace {

constexpr qreal kIconPointSize = 12;
constexpr qreal kStrongFill = 0.95;
constexpr qreal kFaintFill = 0.15;
constexpr qreal kGlowOpacity = 0.5;
constexpr qreal kGlowRadius = 6;
constexpr QPointF kGlowOffset(0, 1);

using NotchPalette::withOpacity;

}  // namespace

SessionStatusBadge::Look SessionStatusBadge::lookFor(SessionUIStatus status) {
    const QColor idle = QColor::fromRgbF(1, 1, 1, 0.5f);
    switch (status) {
        case SessionUIStatus::waiting:
            return {withOpacity(NotchPalette::accent(), kStrongFill), true, Icon::exclamation,
                    Qt::white};
        case SessionUIStatus::working:
            return {withOpacity(NotchPalette::accent(), kStrongFill), true, Icon::sparkle,
                    Qt::white};
        case SessionUIStatus::done:
            return {withOpacity(NotchPalette::systemGreen(), kFaintFill), false, Icon::check,
                    NotchPalette::systemGreen()};
        case SessionUIStatus::yourTurn:
            return {withOpacity(NotchPalette::systemOrange(), kFaintFill), false, Icon::terminal,
                    NotchPalette::systemOrange()};
        case SessionUIStatus::idle:
            break;
    }
    return {withOpacity(idle, kFaintFill), false, Icon::pause, idle};
}

const SoftShadow& SessionStatusBadge::glow() {
    static const SoftShadow shadow(withOpacity(NotchPalette::accent(), kGlowOpacity), kGlowRadius,
                                   kGlowOffset);
    return shadow;
}

SessionStatusBadge::SessionStatusBadge(SessionUIStatus status, QWidget* parent)
    : QWidget(parent), m_status(status) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SessionStatusBadge::setStatus(SessionUIStatus status) {
    if (status == m_status) {
        return;
    }
    m_status = status;
    update();
}

void SessionStatusBadge::paintEvent(QPaintEvent*) {
    const Look look = lookFor(m_status);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF tile(0, 0, kSide, kSide);
    NotchShapes::fillRoundedRect(painter, tile, kCornerRadius, look.fill);
    IconGlyphs::draw(painter, look.icon, tile, kIconPointSize, QFont::Bold, look.iconColor);
}

}  // namespace halvane
