#include "Halvane/Notch/Components/NotchActionButton.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

#include "Halvane/Notch/Components/KeyHint.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"

namespace halvane {

namespace {

QFont labelFont() {
    return NotchFonts::rounded(12.5, QFont::DemiBold);
}

QMarginsF totalPadding() {
    return NotchActionButton::kLabelPadding + NotchButtonStyle::kPadding;
}

}  // namespace

NotchActionButton::NotchActionButton(QString label, NotchActionStyle style,
                                     std::optional<KeyShortcut> shortcut, QWidget* parent)
    : QAbstractButton(parent),
      m_label(std::move(label)),
      m_style(style),
      m_shortcut(std::move(shortcut)),
      m_press(new QVariantAnimation(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // Keys reach the card's shortcuts, never a focused button.
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setText(m_label);
    if (m_shortcut) {
        // Painted by this button (so it dims and shrinks with it), never shown on its own.
        m_keyHint = new KeyHint(m_shortcut->displayLabel(), this);
        m_keyHint->hide();
        setShortcut(m_shortcut->keySequence());
    }
    m_press->setDuration(static_cast<int>(NotchButtonStyle::kPressAnimation.count()));
    m_press->setEasingCurve(QEasingCurve::OutQuad);
    m_press->setStartValue(0.0);
    m_press->setEndValue(0.0);
    connect(m_press, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    const auto pressTo = [this](double target) {
        const QVariant now = m_press->currentValue();
        m_press->stop();
        m_press->setStartValue(now.isValid() ? now.toDouble() : 0.0);
        m_press->setEndValue(target);
        m_press->start();
    };
    connect(this, &QAbstractButton::pressed, this, [pressTo] { pressTo(1); });
    connect(this, &QAbstractButton::released, this, [pressTo] { pressTo(0); });
}

NotchButtonStyle NotchActionButton::buttonStyle() const {
    return NotchButtonStyle{NotchPalette::accent(), m_style == NotchActionStyle::primary};
}

std::optional<SoftShadow> NotchActionButton::glow() const {
    const NotchButtonStyle look = buttonStyle();
    if (!look.hasShadow()) {
        return std::nullopt;
    }
    return SoftShadow(look.shadowColor(), NotchButtonStyle::kShadowRadius, QPointF(0, 1));
}

void NotchActionButton::releaseShortcut() {
    setShortcut(QKeySequence());
}

QSize NotchActionButton::sizeHint() const {
    const QFontMetricsF metrics(labelFont());
    qreal width = metrics.horizontalAdvance(m_label);
    qreal height = metrics.height();
    if (m_keyHint != nullptr) {
        const QSize hint = m_keyHint->sizeHint();
        width += kSpacing + hint.width();
        height = std::max<qreal>(height, hint.height());
    }
    const QMarginsF padding = totalPadding();
    return QSize(static_cast<int>(std::ceil(width + padding.left() + padding.right())),
                 static_cast<int>(std::ceil(height + padding.top() + padding.bottom())));
}

QRectF NotchActionButton::contentRect() const {
    return QRectF(rect()).marginsRemoved(totalPadding());
}

void NotchActionButton::paintEvent(QPaintEvent*) {
    const NotchButtonStyle look = buttonStyle();
    const QVariant value = m_press->currentValue();
    const qreal pressed = value.isValid() ? value.toReal() : 0;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QPointF centre = QRectF(rect()).center();
    const qreal scale = NotchButtonStyle::scaleAt(pressed);
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);
    painter.setOpacity(NotchButtonStyle::opacityAt(pressed));

    look.paintBackground(painter, QRectF(rect()));

    const QFont font = labelFont();
    const QFontMetricsF metrics(font);
    const QRectF content = contentRect();
    const qreal labelWidth = metrics.horizontalAdvance(m_label);
    const qreal hintWidth = m_keyHint != nullptr ? kSpacing + m_keyHint->sizeHint().width() : 0;
    const qreal left = content.center().x() - (labelWidth + hintWidth) / 2;
    painter.setFont(font);
    painter.setPen(look.labelColor());
    painter.drawText(QRectF(left, content.top(), labelWidth, content.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, m_label);
    if (m_keyHint != nullptr) {
        const QSize hint = m_keyHint->sizeHint();
        m_keyHint->resize(hint);
        const QPointF at(left + labelWidth + kSpacing, content.center().y() - hint.height() / 2.0);
        painter.translate(at);
        m_keyHint->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    }
}

}  // namespace halvane
