#include "Halvane/Notch/Components/WorkingChip.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "Halvane/Notch/Components/TypingDots.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"

namespace halvane {

namespace {

QFont labelFont() {
    return NotchFonts::rounded(11, QFont::DemiBold);
}

QString label() {
    return QStringLiteral("working");
}

}  // namespace

WorkingChip::WorkingChip(QWidget* parent)
    : QWidget(parent), m_dots(new TypingDots(NotchPalette::accent(), this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void WorkingChip::setOpacity(qreal opacity) {
    if (opacity == m_opacity) {
        return;
    }
    m_opacity = opacity;
    m_dots->setOpacity(opacity);
    update();
}

qreal WorkingChip::textWidth() const {
    return QFontMetricsF(labelFont()).horizontalAdvance(label());
}

QSize WorkingChip::sizeHint() const {
    const QSize dots = m_dots->sizeHint();
    const qreal width = textWidth() + kSpacing + dots.width();
    const qreal height = std::max<qreal>(QFontMetricsF(labelFont()).height(), dots.height());
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
}

void WorkingChip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize dots = m_dots->sizeHint();
    // The dots sit on the middle of the word's lower-case letters.
    const QFontMetricsF metrics(labelFont());
    const qreal baseline = (height() - metrics.height()) / 2 + metrics.ascent();
    const qreal middle = baseline - metrics.xHeight() / 2;
    m_dots->setGeometry(static_cast<int>(std::ceil(textWidth() + kSpacing)),
                        static_cast<int>(std::lround(middle - dots.height() / 2.0)), dots.width(),
                        dots.height());
}

void WorkingChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setOpacity(m_opacity);
    painter.setFont(labelFont());
    painter.setPen(NotchPalette::accent());
    painter.drawText(QRectF(0, 0, textWidth(), height()), Qt::AlignLeft | Qt::AlignVCenter,
                     label());
}

}  // namespace halvane
