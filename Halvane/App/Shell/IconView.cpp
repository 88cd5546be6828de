#include "Halvane/App/Shell/IconView.h"

#include <QPainter>

#include <cmath>

#include "Halvane/Theme/IconGlyphs.h"

namespace halvane {

IconView::IconView(Icon name, qreal pointSize, const QColor& color, QWidget* parent,
                   QFont::Weight weight)
    : QWidget(parent), m_name(name), m_pointSize(pointSize), m_color(color), m_weight(weight) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void IconView::setColor(const QColor& color) {
    if (color != m_color) {
        m_color = color;
        update();
    }
}

QSize IconView::sizeHint() const {
    const QSizeF size = IconGlyphs::size(m_pointSize);
    return QSize(static_cast<int>(std::ceil(size.width())),
                 static_cast<int>(std::ceil(size.height())));
}

void IconView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    IconGlyphs::draw(painter, m_name, QRectF(rect()), m_pointSize, m_weight, m_color);
}

}  // namespace halvane
