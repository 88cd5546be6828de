#include "Halvane/App/Shell/ToggleSwitch.h"

#include <QPainter>
#include <QVariantAnimation>

#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

namespace {

constexpr int kTravelMilliseconds = 160;
constexpr qreal kKnobInset = 2;

QColor mix(const QColor& from, const QColor& to, qreal t) {
    const auto lerp = [t](float a, float b) { return static_cast<float>(a + (b - a) * t); };
    return QColor::fromRgbF(lerp(from.redF(), to.redF()), lerp(from.greenF(), to.greenF()),
                            lerp(from.blueF(), to.blueF()), lerp(from.alphaF(), to.alphaF()));
}

}  // namespace

ToggleSwitch::ToggleSwitch(bool on, QWidget* parent)
    : QAbstractButton(parent), m_position(on ? 1 : 0), m_animation(new QVariantAnimation(this)) {
    setCheckable(true);
    setChecked(on);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TranslucentBackground);
    m_animation->setDuration(kTravelMilliseconds);
    m_animation->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_position = value.toReal();
        update();
    });
    connect(this, &QAbstractButton::toggled, this, &ToggleSwitch::follow);
}

void ToggleSwitch::follow(bool on) {
    m_animation->stop();
    // Off screen there is nothing to watch: a switch set up before it shows
    // appears in place.
    if (!isVisible()) {
        m_position = on ? 1 : 0;
        update();
        return;
    }
    m_animation->setStartValue(m_position);
    m_animation->setEndValue(on ? 1.0 : 0.0);
    m_animation->start();
}

bool ToggleSwitch::hitButton(const QPoint& position) const {
    return rect().contains(position);
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal dim = isEnabled() ? 1.0 : 0.45;
    const QColor off = QColor::fromRgbF(1, 1, 1, 0.16f);
    NotchShapes::fillCapsule(
        painter, track,
        NotchPalette::withOpacity(mix(off, NotchPalette::accent(), m_position), dim),
        QColor::fromRgbF(1, 1, 1, 0.08f), 1);
    const qreal knob = track.height() - 2 * kKnobInset;
    const qreal travel = track.width() - 2 * kKnobInset - knob;
    const QRectF knobRect(track.left() + kKnobInset + travel * m_position, track.top() + kKnobInset,
                          knob, knob);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(1, 1, 1, static_cast<float>(0.95 * dim)));
    painter.drawEllipse(knobRect);
}

}  // namespace halvane
