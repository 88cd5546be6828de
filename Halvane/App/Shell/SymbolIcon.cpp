#include "Halvane/App/Shell/SymbolIcon.h"

#include <QPainter>

#include <cmath>

#include "Halvane/Theme/SymbolGlyphs.h"

namespace halvane {

SymbolIcon::SymbolIcon(SymbolName name, qreal pointSize, const QColor& color, QWidget* parent,
                       QFont::Weight weight)
    : QWidget(parent), m_name(name), m_pointSize(pointSize), m_color(color), m_weight(weight) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolIcon::setColor(const QColor& color) {
    if (color != m_color) {
        m_color = color;
        update();
    }
}

QSize SymbolIcon::sizeHint() const {
    const QSizeF size = SymbolGlyphs::size(m_pointSize);
    return QSize(static_cast<int>(std::ceil(size.width())),
                 static_cast<int>(std::ceil(size.height())));
}

void SymbolIcon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    SymbolGlyphs::draw(painter, m_name, QRectF(rect()), m_pointSize, m_weight, m_color);
}

}  // namespace halvane
