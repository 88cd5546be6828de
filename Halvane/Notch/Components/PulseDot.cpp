#include "Halvane/Notch/Components/PulseDot.h"

#include <QEasingCurve>
#include <QPainter>

#include <cmath>

namespace halvane {

namespace {

constexpr qreal kSmallScale = 0.9;
constexpr qreal kLargeScale = 1.15;
constexpr qreal kFadedOpacity = 0.55;

}  // namespace

PulseDot::PulseDot(const QColor& color, QWidget* parent, std::chrono::milliseconds halfPeriod)
    : QWidget(parent), m_color(color), m_halfPeriod(halfPeriod) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(&m_driver, &notchkit::AnimationDriver::tick, this, qOverload<>(&PulseDot::update));
}

qreal PulseDot::breath() const {
    if (!m_breathing) {
        return 0;
    }
    // Out and back in, easing at both ends, forever.
    const double half = std::chrono::duration<double>(m_halfPeriod).count();
    const double cycle = std::fmod(m_driver.now() - m_startedAt, 2 * half) / half;
    const double linear = cycle <= 1 ? cycle : 2 - cycle;
    return QEasingCurve(QEasingCurve::InOutQuad).valueForProgress(linear);
}

qreal PulseDot::scaleAt(qreal breath) {
    return kSmallScale + (kLargeScale - kSmallScale) * breath;
}

qreal PulseDot::opacityAt(qreal breath) {
    return 1 + (kFadedOpacity - 1) * breath;
}

QSize PulseDot::sizeHint() const {
    // Room for the largest breath.
    const int side = static_cast<int>(std::ceil(kDiameter * kLargeScale));
    return QSize(side, side);
}

void PulseDot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal now = breath();
    const qreal diameter = kDiameter * scaleAt(now);
    painter.setOpacity(opacityAt(now));
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_color);
    const QPointF centre = QRectF(rect()).center();
    painter.drawEllipse(centre, diameter / 2, diameter / 2);
}

void PulseDot::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_breathing) {
        m_breathing = true;
        m_startedAt = m_driver.now();
    }
    m_driver.start();
}

void PulseDot::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_driver.stop();
}

}  // namespace halvane
