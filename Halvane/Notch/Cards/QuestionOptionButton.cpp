#include "Halvane/Notch/Cards/QuestionOptionButton.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

namespace {

constexpr QMarginsF kPadding{10, 6, 10, 6};
constexpr qreal kSpacing = 8;

QFont numberFont() {
    return NotchFonts::monospaced(11, QFont::Bold);
}

QFont labelFont() {
    return NotchFonts::rounded(12, QFont::Medium);
}

}  // namespace

QuestionOptionButton::QuestionOptionButton(int index, QString label, QWidget* parent)
    : QAbstractButton(parent), m_index(index), m_label(std::move(label)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setText(m_label);
    setToolTip(QStringLiteral("Answer “%1”").arg(m_label));
}

QSize QuestionOptionButton::sizeHint() const {
    const qreal text = QFontMetricsF(labelFont()).horizontalAdvance(m_label);
    return QSize(
        static_cast<int>(std::ceil(kPadding.left() + kCircle + kSpacing + text + kPadding.right())),
        static_cast<int>(std::ceil(kPadding.top() + kCircle + kPadding.bottom())));
}

QSize QuestionOptionButton::minimumSizeHint() const {
    return QSize(static_cast<int>(kPadding.left() + kCircle + kPadding.right()),
                 sizeHint().height());
}

void QuestionOptionButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF frame(rect());
    NotchShapes::fillRoundedRect(painter, frame, kCornerRadius,
                                 NotchPalette::chipFill(isDown() || isChecked(), underMouse()));

    const QRectF content = frame.marginsRemoved(kPadding);
    const QRectF circle(content.left(), content.center().y() - kCircle / 2, kCircle, kCircle);
    painter.setPen(Qt::NoPen);
    painter.setBrush(NotchPalette::withOpacity(NotchPalette::accent(), 0.15));
    painter.drawEllipse(circle);
    painter.setFont(numberFont());
    painter.setPen(NotchPalette::accent());
    painter.drawText(circle, Qt::AlignCenter, QString::number(m_index + 1));

    const QRectF labelBox(circle.right() + kSpacing, content.top(),
                          content.right() - circle.right() - kSpacing, content.height());
    painter.setFont(labelFont());
    painter.setPen(Qt::white);
    const QString shown =
        QFontMetricsF(labelFont()).elidedText(m_label, Qt::ElideRight, labelBox.width());
    painter.drawText(labelBox, Qt::AlignLeft | Qt::AlignVCenter, shown);
}

void QuestionOptionButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    update();
}

void QuestionOptionButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    update();
}

}  // namespace halvane
