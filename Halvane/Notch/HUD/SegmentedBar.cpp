#include "Halvane/Notch/HUD/SegmentedBar.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "Halvane/Monitors/SegmentedBarGeometry.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"
#include "NotchKit/ImageBlur.h"

namespace halvane {

namespace Geometry = SegmentedBarGeometry;

namespace {

// The lit segments' glow: their shapes blurred, in the tint at half opacity.
// Painted into an image with room for the blur, then laid under the bar.
void paintGlow(QPainter& painter, const std::vector<Geometry::Segment>& segments, const QRectF& bar,
               const QColor& tint) {
    const double dpr = painter.device()->devicePixelRatioF();
    const int margin = SegmentedBar::glowMargin;
    const QRectF area = bar.adjusted(-margin, -margin, margin, margin);
    const QSize pixels(static_cast<int>(std::ceil(area.width() * dpr)),
                       static_cast<int>(std::ceil(area.height() * dpr)));
    if (pixels.isEmpty()) {
        return;
    }
    QImage glow(pixels, QImage::Format_ARGB32_Premultiplied);
    glow.fill(Qt::transparent);
    {
        QPainter shapes(&glow);
        shapes.setRenderHint(QPainter::Antialiasing);
        shapes.scale(dpr, dpr);
        shapes.translate(margin, margin);
        const QColor shadow = NotchPalette::withOpacity(tint, Geometry::litShadowOpacity);
        for (const auto& segment : segments) {
            if (segment.lit) {
                shapes.fillPath(
                    NotchShapes::continuousRoundedRect(
                        QRectF(segment.x, 0, segment.width, bar.height()), Geometry::cornerRadius),
                    shadow);
            }
        }
    }
    notchkit::ImageBlur::blur(glow, Geometry::litShadowRadius * dpr);
    glow.setDevicePixelRatio(dpr);
    painter.drawImage(area.topLeft(), glow);
}

}  // namespace

SegmentedBar::SegmentedBar(float value, int segmentCount, const QColor& tint, double spacing,
                           QWidget* parent)
    : QWidget(parent),
      m_segmentCount(segmentCount),
      m_tint(tint),
      m_spacing(spacing),
      m_target(value),
      m_value(value, 0.001) {
    setAttribute(Qt::WA_TranslucentBackground);
    connect(&m_driver, &notchkit::AnimationDriver::tick, this, &SegmentedBar::onTick);
}

SegmentedBar::~SegmentedBar() = default;

void SegmentedBar::setValue(float value, const std::optional<notchkit::Animation>& animation) {
    if (value == m_target && !m_value.isAnimating()) {
        return;
    }
    m_target = value;
    m_value.setTarget(value, animation, m_driver.now());
    if (m_value.isAnimating()) {
        m_driver.start();
    }
    update();
}

void SegmentedBar::setTint(const QColor& tint) {
    if (tint != m_tint) {
        m_tint = tint;
        update();
    }
}

QRectF SegmentedBar::barRect() const {
    return QRectF(rect()).adjusted(glowMargin, glowMargin, -glowMargin, -glowMargin);
}

void SegmentedBar::paint(QPainter& painter, const QRectF& bar, float value, int segmentCount,
                         const QColor& tint, double spacing) {
    const auto segments = Geometry::segments(value, segmentCount, bar.width(), spacing);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    paintGlow(painter, segments, bar, tint);
    const QColor unlit = NotchPalette::withOpacity(Qt::white, Geometry::unlitWhiteOpacity);
    for (const auto& segment : segments) {
        const QRectF shape(bar.left() + segment.x, bar.top(), segment.width, bar.height());
        painter.fillPath(NotchShapes::continuousRoundedRect(shape, Geometry::cornerRadius),
                         segment.lit ? tint : unlit);
    }
    painter.restore();
}

QSize SegmentedBar::sizeHint() const {
    const int bar = static_cast<int>(std::ceil(Geometry::hudHeight));
    return QSize(60 + 2 * glowMargin, bar + 2 * glowMargin);
}

void SegmentedBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, barRect(), displayedValue(), m_segmentCount, m_tint, m_spacing);
}

void SegmentedBar::onTick(double now) {
    if (!m_value.advance(now)) {
        m_driver.stop();
    }
    update();
}

}  // namespace halvane
