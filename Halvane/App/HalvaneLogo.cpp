#include "Halvane/App/HalvaneLogo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "Halvane/Theme/NotchPalette.h"

namespace halvane {

namespace {

// The shapes, in design-grid units.
const QRectF kScreen(2, 4, 20, 16);
constexpr qreal kScreenRadius = 3.5;
const QRectF kMark(9, 13, 6, 2.5);

// The notch: straight sides and a flat bottom, easing into the screen's top
// edge through a quadratic curve at each end.
QPainterPath notchPath() {
    QPainterPath path;
    path.moveTo(6.5, 4);
    path.quadTo(8.5, 4, 8.5, 6);
    path.lineTo(8.5, 7);
    path.quadTo(8.5, 8.5, 10, 8.5);
    path.lineTo(14, 8.5);
    path.quadTo(15.5, 8.5, 15.5, 7);
    path.lineTo(15.5, 6);
    path.quadTo(15.5, 4, 17.5, 4);
    path.closeSubpath();
    return path;
}

void paintColor(QPainter& painter) {
    QLinearGradient glass(kScreen.topLeft(), kScreen.bottomRight());
    glass.setColorAt(0, QColor(0xF4, 0xA2, 0x6B));
    glass.setColorAt(1, QColor(0xC8, 0x4F, 0x2A));
    QPainterPath screen;
    screen.addRoundedRect(kScreen, kScreenRadius, kScreenRadius);
    painter.fillPath(screen, glass);
    painter.fillPath(notchPath(), QColor(0x0E, 0x0E, 0x10));
    QPainterPath mark;
    mark.addRoundedRect(kMark, kMark.height() / 2, kMark.height() / 2);
    painter.fillPath(mark, QColor(255, 255, 255, 235));
    painter.strokePath(screen, QPen(NotchPalette::withOpacity(Qt::white, 0.35), 0.6));
}

void paintTemplate(QPainter& painter) {
    const qreal line = 1.8;
    QPainterPath screen;
    const QRectF outline = kScreen.adjusted(line / 2, line / 2, -line / 2, -line / 2);
    screen.addRoundedRect(outline, kScreenRadius - line / 2, kScreenRadius - line / 2);
    painter.strokePath(screen, QPen(Qt::black, line));
    painter.fillPath(notchPath(), Qt::black);
    QPainterPath mark;
    mark.addRoundedRect(kMark, kMark.height() / 2, kMark.height() / 2);
    painter.fillPath(mark, Qt::black);
}

}  // namespace

HalvaneLogo::HalvaneLogo(qreal size, HalvaneLogoStyle style, QWidget* parent)
    : QWidget(parent), m_size(size), m_style(style) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("Halvane"));
}

void HalvaneLogo::paint(QPainter& painter, const QRectF& rect, HalvaneLogoStyle style) {
    const qreal side = std::min(rect.width(), rect.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.center().x() - side / 2, rect.center().y() - side / 2);
    painter.scale(side / designGrid, side / designGrid);
    if (style == HalvaneLogoStyle::color) {
        paintColor(painter);
    } else {
        paintTemplate(painter);
    }
    painter.restore();
}

QSize HalvaneLogo::sizeHint() const {
    const int side = static_cast<int>(std::ceil(m_size));
    return QSize(side, side);
}

void HalvaneLogo::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, QRectF(0, 0, m_size, m_size), m_style);
}

}  // namespace halvane
