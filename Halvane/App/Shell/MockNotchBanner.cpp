#include "Halvane/App/Shell/MockNotchBanner.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QVariantAnimation>

#include "Halvane/Theme/IconGlyphs.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"
#include "NotchKit/NotchShape.h"

namespace halvane {

namespace {

constexpr qreal kEar = 8;
constexpr qreal kBottomRadius = 16;
constexpr qreal kMarker = 14;
constexpr qreal kGap = 8;

}  // namespace

MockNotchBanner::MockNotchBanner(const QString& text, QWidget* parent)
    : QWidget(parent), m_text(text), m_animation(new QVariantAnimation(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(kSize);
    m_animation->setStartValue(0.0);
    m_animation->setKeyValueAt(0.5, 1.0);
    m_animation->setEndValue(0.0);
    m_animation->setDuration(1400);
    m_animation->setEasingCurve(QEasingCurve::InOutSine);
    m_animation->setLoopCount(-1);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_breath = value.toReal();
        update();
    });
}

void MockNotchBanner::setStatus(const QString& text, bool done) {
    m_text = text;
    m_done = done;
    update();
}

void MockNotchBanner::showEvent(QShowEvent* event) {
    m_animation->start();
    QWidget::showEvent(event);
}

void MockNotchBanner::hideEvent(QHideEvent* event) {
    m_animation->stop();
    QWidget::hideEvent(event);
}

void MockNotchBanner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF frame(rect());
    NotchShapes::fillRoundedRect(painter, QRectF(0, 0, frame.width(), 3), 1.5,
                                 QColor::fromRgbF(1, 1, 1, 0.08f));
    painter.fillPath(notchkit::NotchShape(kEar, kBottomRadius).path(frame), Qt::black);

    const QFont font = NotchFonts::system(12.5, QFont::DemiBold);
    const qreal textWidth = QFontMetricsF(font).horizontalAdvance(m_text);
    const qreal left = (frame.width() - (kMarker + kGap + textWidth)) / 2;
    const QRectF marker(left, (frame.height() - kMarker) / 2, kMarker, kMarker);
    if (m_done) {
        IconGlyphs::draw(painter, Icon::checkCircle, marker, 13, QFont::Bold,
                         NotchPalette::systemGreen());
    } else {
        const qreal radius = 3.5 + 1.5 * m_breath;
        painter.setPen(Qt::NoPen);
        painter.setBrush(NotchPalette::withOpacity(NotchPalette::accent(), 0.25 * (1 + m_breath)));
        painter.drawEllipse(marker.center(), radius + 3, radius + 3);
        painter.setBrush(NotchPalette::accent());
        painter.drawEllipse(marker.center(), radius, radius);
    }
    painter.setFont(font);
    painter.setPen(m_done ? Qt::white : QColor::fromRgbF(1, 1, 1, 0.85f));
    painter.drawText(QRectF(marker.right() + kGap, 0, textWidth + 2, frame.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, m_text);
}

}  // namespace halvane
