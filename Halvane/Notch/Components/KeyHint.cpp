#include "Halvane/Notch/Components/KeyHint.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

namespace {

QFont labelFont() {
    return NotchFonts::monospaced(10, QFont::DemiBold);
}

}  // namespace

KeyHint::KeyHint(QString label, QWidget* parent) : QWidget(parent), m_label(std::move(label)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void KeyHint::setLabel(const QString& label) {
    if (label == m_label) {
        return;
    }
    m_label = label;
    updateGeometry();
    update();
}

QSize KeyHint::sizeHint() const {
    const QFontMetricsF metrics(labelFont());
    const qreal width = metrics.horizontalAdvance(m_label) + kPadding.left() + kPadding.right();
    const qreal height = metrics.height() + kPadding.top() + kPadding.bottom();
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
}

void KeyHint::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF frame(rect());
    NotchShapes::fillRoundedRect(painter, frame, kCornerRadius, QColor::fromRgbF(0, 0, 0, 0.45f),
                                 QColor::fromRgbF(1, 1, 1, 0.1f), 1);
    painter.setFont(labelFont());
    painter.setPen(QColor::fromRgbF(1, 1, 1, 0.85f));
    painter.drawText(frame.marginsRemoved(kPadding), Qt::AlignCenter | Qt::TextDontClip, m_label);
}

}  // namespace halvane
