#include "Halvane/App/Shell/OnboardingButton.h"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

namespace {

constexpr qreal kPaddingX = 18;
constexpr qreal kPaddingY = 10;
constexpr qreal kCornerRadius = 9;
// Room around the face so the hover growth is never clipped.
constexpr int kGrowthMargin = 2;

QColor white(qreal opacity) {
    return QColor::fromRgbF(1, 1, 1, static_cast<float>(opacity));
}

QFont labelFont() {
    return NotchFonts::system(13, QFont::DemiBold);
}

}  // namespace

OnboardingButton::OnboardingButton(const QString& label, Style style, QWidget* parent)
    : QAbstractButton(parent), m_style(style), m_animation(new QVariantAnimation(this)) {
    setText(label);
    setFont(labelFont());
    setCursor(Qt::PointingHandCursor);
    // Keyboard users reach it with Tab; a click does not leave a focus ring.
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_animation->setDuration(kHoverMilliseconds);
    m_animation->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_scale = value.toReal();
        update();
    });
}

void OnboardingButton::setStyle(Style style) {
    if (style != m_style) {
        m_style = style;
        update();
    }
}

void OnboardingButton::setLabel(const QString& label) {
    if (label != text()) {
        setText(label);
        updateGeometry();
    }
}

void OnboardingButton::setDisabled(bool disabled) {
    setEnabled(!disabled);
}

QColor OnboardingButton::fillColor(Style style, bool enabled) {
    if (!enabled) {
        return white(0.04);
    }
    return style == Style::primary ? NotchPalette::withOpacity(NotchPalette::accent(), 0.95)
                                   : white(0.06);
}

QColor OnboardingButton::textColor(Style style, bool enabled) {
    if (!enabled) {
        return white(0.45);
    }
    return style == Style::primary ? white(1) : white(0.85);
}

QSize OnboardingButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    const qreal width = metrics.horizontalAdvance(text()) + 2 * kPaddingX;
    const qreal height = metrics.height() + 2 * kPaddingY;
    return QSize(static_cast<int>(std::ceil(width)) + 2 * kGrowthMargin,
                 static_cast<int>(std::ceil(height)) + 2 * kGrowthMargin);
}

void OnboardingButton::animateScale(qreal to) {
    m_animation->stop();
    m_animation->setStartValue(m_scale);
    m_animation->setEndValue(to);
    m_animation->start();
}

void OnboardingButton::enterEvent(QEnterEvent* event) {
    m_hovering = true;
    animateScale(kHoverScale);
    QAbstractButton::enterEvent(event);
}

void OnboardingButton::leaveEvent(QEvent* event) {
    m_hovering = false;
    animateScale(1.0);
    QAbstractButton::leaveEvent(event);
}

void OnboardingButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        setToolTip(isEnabled() ? QString() : QStringLiteral("Disabled"));
        if (!isEnabled() && m_hovering) {
            m_hovering = false;
            animateScale(1.0);
        }
        update();
    }
    QAbstractButton::changeEvent(event);
}

void OnboardingButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF face =
        QRectF(rect()).adjusted(kGrowthMargin, kGrowthMargin, -kGrowthMargin, -kGrowthMargin);
    painter.translate(face.center());
    painter.scale(m_scale, m_scale);
    painter.translate(-face.center());

    const bool enabled = isEnabled();
    const QColor border = m_style == Style::primary && enabled ? white(0.18) : white(0.1);
    NotchShapes::fillRoundedRect(painter, face, kCornerRadius, fillColor(m_style, enabled), border,
                                 1);
    if (hasFocus() && enabled) {
        NotchShapes::fillRoundedRect(painter, face.adjusted(-1, -1, 1, 1), kCornerRadius + 1,
                                     Qt::transparent, white(0.35), 1);
    }
    painter.setPen(textColor(m_style, enabled));
    painter.setFont(font());
    painter.drawText(face, Qt::AlignCenter, text());
}

}  // namespace halvane
