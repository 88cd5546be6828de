#include "Halvane/App/Shell/PulsingLogo.h"

#include <QPainter>
#include <QRadialGradient>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <cmath>

#include "Halvane/Theme/NotchPalette.h"

namespace halvane {

PulsingLogo::PulsingLogo(QWidget* logo, qreal logoSize, QWidget* parent)
    : QWidget(parent), m_logoSize(logoSize), m_animation(new QVariantAnimation(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    logo->setParent(this);
    logo->setFixedSize(static_cast<int>(std::ceil(logoSize)),
                       static_cast<int>(std::ceil(logoSize)));
    layout->addWidget(logo, 0, Qt::AlignCenter);
    setFixedSize(sizeHint());

    // Up and back down in one period, forever.
    m_animation->setStartValue(0.0);
    m_animation->setKeyValueAt(0.5, 1.0);
    m_animation->setEndValue(0.0);
    m_animation->setDuration(kPeriodMilliseconds);
    m_animation->setEasingCurve(QEasingCurve::InOutSine);
    m_animation->setLoopCount(-1);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_pulse = value.toReal();
        update();
    });
}

bool PulsingLogo::pulsing() const {
    return m_animation->state() == QAbstractAnimation::Running;
}

QSize PulsingLogo::sizeHint() const {
    const int side = static_cast<int>(std::ceil(m_logoSize * 1.9));
    return QSize(side, side);
}

void PulsingLogo::showEvent(QShowEvent* event) {
    m_animation->start();
    QWidget::showEvent(event);
}

void PulsingLogo::hideEvent(QHideEvent* event) {
    m_animation->stop();
    QWidget::hideEvent(event);
}

void PulsingLogo::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    const qreal radius = width() / 2.0 * (0.78 + 0.22 * m_pulse);
    QRadialGradient glow(centre, radius);
    glow.setColorAt(0, NotchPalette::withOpacity(NotchPalette::accent(), 0.30 + 0.20 * m_pulse));
    glow.setColorAt(0.55, NotchPalette::withOpacity(NotchPalette::accent(), 0.10));
    glow.setColorAt(1, Qt::transparent);
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(centre, radius, radius);
}

}  // namespace halvane
