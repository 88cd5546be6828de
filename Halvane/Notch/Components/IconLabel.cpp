#include "Halvane/Notch/Components/IconLabel.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "Halvane/Theme/IconGlyphs.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

IconLabel::IconLabel(Icon symbol, QString text, Style style, QWidget* parent)
    : QWidget(parent), m_symbol(symbol), m_text(std::move(text)), m_style(std::move(style)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void IconLabel::setContent(Icon symbol, const QString& text) {
    if (symbol == m_symbol && text == m_text) {
        return;
    }
    m_symbol = symbol;
    m_text = text;
    updateGeometry();
    update();
}

QSize IconLabel::sizeHint() const {
    const QFontMetricsF metrics(m_style.font);
    const QSizeF symbol = IconGlyphs::size(m_style.symbolPointSize);
    const qreal width = m_style.padding.left() + symbol.width() + m_style.spacing +
                        metrics.horizontalAdvance(m_text) + m_style.padding.right();
    const qreal height = m_style.padding.top() + std::max(symbol.height(), metrics.height()) +
                         m_style.padding.bottom();
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
}

void IconLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF frame(rect());
    if (m_style.fill.alpha() > 0) {
        NotchShapes::fillRoundedRect(painter, frame, m_style.cornerRadius, m_style.fill);
    }
    const QRectF content = frame.marginsRemoved(m_style.padding);
    const QSizeF symbol = IconGlyphs::size(m_style.symbolPointSize);
    const QRectF symbolBox(QPointF(content.left(), content.center().y() - symbol.height() / 2),
                           symbol);
    IconGlyphs::draw(painter, m_symbol, symbolBox, m_style.symbolPointSize, m_style.symbolWeight,
                     m_style.color);
    const QRectF textBox(symbolBox.right() + m_style.spacing, content.top(),
                         content.right() - symbolBox.right() - m_style.spacing, content.height());
    painter.setFont(m_style.font);
    painter.setPen(m_style.color);
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, m_text);
}

}  // namespace halvane
