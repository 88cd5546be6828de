#include "Halvane/Notch/Components/NumericText.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace halvane {

NumericText::NumericText(long long value, const QFont& font, const QColor& color,
                         notchkit::Animation animation, QWidget* parent)
    : QWidget(parent),
      m_value(value),
      m_previous(value),
      m_color(color),
      m_animation(std::move(animation)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFont(font);
    connect(&m_driver, &notchkit::AnimationDriver::tick, this, &NumericText::onTick);
}

QString NumericText::text() const {
    return QString::number(m_value);
}

void NumericText::setValue(long long value) {
    if (value == m_value) {
        return;
    }
    m_previous = m_value;
    m_value = value;
    updateGeometry();
    if (isVisible()) {
        m_progress.reset(0);
        m_progress.setTarget(1, m_animation, m_driver.now());
        m_driver.start();
    } else {
        m_progress.reset(1);
    }
    update();
}

void NumericText::onTick(double now) {
    if (!m_progress.advance(now)) {
        m_driver.stop();
    }
    update();
}

QSize NumericText::sizeHint() const {
    const QFontMetricsF metrics(font());
    return QSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(text()))),
                 static_cast<int>(std::ceil(metrics.height())));
}

void NumericText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font());
    painter.setPen(m_color);
    const QFontMetricsF metrics(font());
    const QString now = text();
    const qreal progress = std::clamp(m_progress.value(), 0.0, 1.0);
    if (progress >= 1) {
        painter.drawText(QRectF(rect()), Qt::AlignLeft | Qt::AlignVCenter, now);
        return;
    }
    const QString before = QString::number(m_previous);
    // Digits are matched from the right, where units meet units.
    const qsizetype length = std::max(now.size(), before.size());
    const QString newPadded = now.rightJustified(length, QLatin1Char(' '));
    const QString oldPadded = before.rightJustified(length, QLatin1Char(' '));
    const qreal direction = m_value > m_previous ? 1 : -1;
    const qreal travel = metrics.height() * 0.8;
    const qreal newLeft = width() - metrics.horizontalAdvance(now);
    const qreal oldLeft = width() - metrics.horizontalAdvance(before);
    const qreal top = (height() - metrics.height()) / 2;
    painter.setClipRect(rect());
    for (qsizetype index = 0; index < length; ++index) {
        const QChar fresh = newPadded[index];
        const QChar stale = oldPadded[index];
        const qsizetype newOffset = index - (length - now.size());
        const qsizetype oldOffset = index - (length - before.size());
        const qreal newX =
            newLeft + metrics.horizontalAdvance(now.left(std::max<qsizetype>(0, newOffset)));
        const qreal oldX =
            oldLeft + metrics.horizontalAdvance(before.left(std::max<qsizetype>(0, oldOffset)));
        if (fresh == stale) {
            painter.setOpacity(1);
            painter.drawText(QPointF(newX, top + metrics.ascent()), QString(fresh));
            continue;
        }
        if (stale != QLatin1Char(' ')) {
            painter.setOpacity(1 - progress);
            painter.drawText(QPointF(oldX, top + metrics.ascent() - direction * travel * progress),
                             QString(stale));
        }
        if (fresh != QLatin1Char(' ')) {
            painter.setOpacity(progress);
            painter.drawText(
                QPointF(newX, top + metrics.ascent() + direction * travel * (1 - progress)),
                QString(fresh));
        }
    }
}

}  // namespace halvane
