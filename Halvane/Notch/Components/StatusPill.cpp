#include "Halvane/Notch/Components/StatusPill.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "Halvane/Theme/IconGlyphs.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

namespace {

QFont textFont() {
    return NotchFonts::rounded(11, QFont::DemiBold);
}

}  // namespace

StatusPill::StatusPill(QString text, const QColor& color, Icon icon, QWidget* parent)
    : QWidget(parent), m_text(std::move(text)), m_color(color), m_icon(icon) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void StatusPill::setText(const QString& text) {
    if (text == m_text) {
        return;
    }
    m_text = text;
    updateGeometry();
    update();
}

void StatusPill::setColor(const QColor& color) {
    if (color == m_color) {
        return;
    }
    m_color = color;
    update();
}

QSize StatusPill::sizeHint() const {
    const QFontMetricsF metrics(textFont());
    const QSizeF symbol = IconGlyphs::size(kSymbolPointSize);
    const qreal width = kPadding.left() + symbol.width() + kSpacing +
                        metrics.horizontalAdvance(m_text) + kPadding.right();
    const qreal height =
        kPadding.top() + std::max(symbol.height(), metrics.height()) + kPadding.bottom();
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
}

void StatusPill::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF frame(rect());
    NotchShapes::fillCapsule(painter, frame, NotchPalette::withOpacity(m_color, kFillOpacity));

    // Content keeps its natural width and sits centred, as the layout would.
    const QFont font = textFont();
    const QFontMetricsF metrics(font);
    const QSizeF symbol = IconGlyphs::size(kSymbolPointSize);
    const qreal textWidth = metrics.horizontalAdvance(m_text);
    const qreal contentWidth = symbol.width() + kSpacing + textWidth;
    const qreal left = frame.center().x() - contentWidth / 2;
    const qreal middle = frame.center().y();

    const QRectF symbolBox(QPointF(left, middle - symbol.height() / 2), symbol);
    IconGlyphs::draw(painter, m_icon, symbolBox, kSymbolPointSize, QFont::Bold, m_color);

    const QRectF textBox(symbolBox.right() + kSpacing, middle - metrics.height() / 2, textWidth,
                         metrics.height());
    painter.setFont(font);
    painter.setPen(m_color);
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, m_text);
}

}  // namespace halvane
