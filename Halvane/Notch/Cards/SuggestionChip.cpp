#include "Halvane/Notch/Cards/SuggestionChip.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

namespace {

constexpr QMarginsF kPadding{10, 5, 10, 5};

QFont labelFont() {
    return NotchFonts::rounded(11, QFont::Medium);
}

}  // namespace

SuggestionChip::SuggestionChip(QString suggestion, QWidget* parent)
    : QAbstractButton(parent), m_suggestion(std::move(suggestion)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setText(m_suggestion);
    setToolTip(QStringLiteral("Reply “%1”").arg(m_suggestion));
}

QSize SuggestionChip::sizeHint() const {
    const QFontMetricsF metrics(labelFont());
    return QSize(
        static_cast<int>(std::ceil(kPadding.left() + metrics.horizontalAdvance(m_suggestion) +
                                   kPadding.right())),
        static_cast<int>(std::ceil(kPadding.top() + metrics.height() + kPadding.bottom())));
}

QSize SuggestionChip::minimumSizeHint() const {
    const QFontMetricsF metrics(labelFont());
    const qreal least =
        kPadding.left() + metrics.horizontalAdvance(QStringLiteral("W…")) + kPadding.right();
    return QSize(std::min(static_cast<int>(std::ceil(least)), sizeHint().width()),
                 sizeHint().height());
}

void SuggestionChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF frame(rect());
    NotchShapes::fillCapsule(painter, frame, NotchPalette::chipFill(isDown(), underMouse()),
                             QColor::fromRgbF(1, 1, 1, 0.12f), 1);
    const QRectF content = frame.marginsRemoved(kPadding);
    painter.setFont(labelFont());
    painter.setPen(Qt::white);
    painter.drawText(
        content, Qt::AlignCenter,
        QFontMetricsF(labelFont()).elidedText(m_suggestion, Qt::ElideRight, content.width()));
}

void SuggestionChip::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    update();
}

void SuggestionChip::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    update();
}

}  // namespace halvane
