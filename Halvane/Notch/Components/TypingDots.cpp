#include "Halvane/Notch/Components/TypingDots.h"

#include <QPainter>

#include <cmath>

namespace halvane {

namespace {
constexpr int kDotCount = 3;
}

TypingDots::TypingDots(const QColor& color, QWidget* parent, std::chrono::milliseconds stepInterval)
    : QWidget(parent), m_color(color) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_timer.setInterval(stepInterval);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_phase = (m_phase + 1) % kDotCount;
        update();
    });
}

void TypingDots::setColor(const QColor& color) {
    if (color != m_color) {
        m_color = color;
        update();
    }
}

void TypingDots::setOpacity(qreal opacity) {
    if (opacity != m_opacity) {
        m_opacity = opacity;
        update();
    }
}

QSize TypingDots::sizeHint() const {
    const qreal width = kDotCount * kDotSize + (kDotCount - 1) * kDotSpacing;
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(kDotSize)));
}

void TypingDots::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_color);
    const qreal top = (height() - kDotSize) / 2;
    for (int index = 0; index < kDotCount; ++index) {
        painter.setOpacity(m_opacity * (index == m_phase ? 1.0 : kDimOpacity));
        painter.drawEllipse(QRectF(index * (kDotSize + kDotSpacing), top, kDotSize, kDotSize));
    }
}

// Steps only while someone can see them.
void TypingDots::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_timer.start();
}

void TypingDots::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_timer.stop();
}

}  // namespace halvane
