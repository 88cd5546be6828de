#include "Halvane/Notch/HUD/HUDCompactLeading.h"

#include <QPainter>

#include <cmath>
#include <numbers>

#include "Halvane/Monitors/HUDReadout.h"
#include "Halvane/Monitors/HUDState.h"
#include "Halvane/Theme/IconGlyphs.h"
#include "Halvane/Theme/NotchPalette.h"
#include "NotchKit/NotchEnvironment.h"

namespace halvane {

namespace {

// One bounce: up by a fifth and back, quick out and gentle in.
constexpr double kBounceDuration = 0.35;
constexpr double kBounceScale = 0.2;

}  // namespace

HUDCompactLeading::HUDCompactLeading(HUDState& hud, QWidget* parent) : QWidget(parent), m_hud(hud) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    connect(&m_hud, &HUDState::kindChanged, this, qOverload<>(&QWidget::update));
    connect(&m_hud, &HUDState::bumpChanged, this, &HUDCompactLeading::bounce);
    connect(&m_driver, &notchkit::AnimationDriver::tick, this, &HUDCompactLeading::onTick);
}

HUDCompactLeading::~HUDCompactLeading() = default;

Icon HUDCompactLeading::icon(const HUDKind& kind) {
    return IconGlyphs::fromName(HUDReadout::iconName(kind)).value_or(Icon::speaker);
}

QColor HUDCompactLeading::color(const HUDKind& kind) {
    return HUDReadout::tint(kind) == HUDReadout::Tint::systemRed ? NotchPalette::systemRed()
                                                                 : NotchPalette::accent();
}

QRectF HUDCompactLeading::iconRect() const {
    return QRectF(leadingPadding, (height() - iconBox) / 2.0, iconBox, iconBox);
}

QSize HUDCompactLeading::sizeHint() const {
    if (notchkit::NotchEnvironment::notchStyle(this).isFloating()) {
        return QSize(leadingPadding + iconBox, iconBox);
    }
    return QSize(width, iconBox);
}

bool HUDCompactLeading::event(QEvent* event) {
    // Moved between the notch and the floating pill: measure again.
    if (event->type() == notchkit::NotchEnvironment::changeEventType() ||
        event->type() == QEvent::ParentChange) {
        updateGeometry();
    }
    return QWidget::event(event);
}

void HUDCompactLeading::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF box = iconRect();
    const double scale = 1.0 + kBounceScale * std::sin(std::numbers::pi * m_bounce.value());
    painter.translate(box.center());
    painter.scale(scale, scale);
    painter.translate(-box.center());
    const HUDKind& kind = m_hud.kind();
    IconGlyphs::draw(painter, icon(kind), box, iconPointSize, QFont::DemiBold, color(kind));
}

void HUDCompactLeading::bounce() {
    const double now = m_driver.now();
    m_bounce.reset(0);
    m_bounce.setTarget(1, notchkit::Animation::easeOut(kBounceDuration), now);
    m_driver.start();
    update();
}

void HUDCompactLeading::onTick(double now) {
    if (!m_bounce.advance(now)) {
        m_bounce.reset(0);
        m_driver.stop();
    }
    update();
}

}  // namespace halvane
