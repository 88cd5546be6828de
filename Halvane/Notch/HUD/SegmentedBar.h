#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include <optional>

#include "NotchKit/AnimatedValue.h"
#include "NotchKit/Animation.h"
#include "NotchKit/AnimationDriver.h"

class QPainter;

namespace halvane {

// A level drawn as a row of separate segments, lit from the leading end: the
// HUD's volume, brightness and battery bar. The widget keeps a margin round
// the bar so the glow of lit segments is not cut off.
class SegmentedBar final : public QWidget {
    Q_OBJECT

public:
    // Room left round the bar for the lit segments' glow.
    static constexpr int glowMargin = 4;

    SegmentedBar(float value, int segmentCount, const QColor& tint, double spacing,
                 QWidget* parent = nullptr);
    ~SegmentedBar() override;

    // The value the bar shows, or is moving to.
    float value() const { return m_target; }
    // The value drawn at this instant.
    float displayedValue() const { return static_cast<float>(m_value.value()); }
    int segmentCount() const { return m_segmentCount; }
    const QColor& tint() const { return m_tint; }
    double spacing() const { return m_spacing; }

    // Without an animation the bar jumps to the value.
    void setValue(float value, const std::optional<notchkit::Animation>& animation = {});
    void setTint(const QColor& tint);

    // Where the bar itself sits inside the widget.
    QRectF barRect() const;

    // Draws `value` as the bar filling `bar`, glow included (which spills past it).
    static void paint(QPainter& painter, const QRectF& bar, float value, int segmentCount,
                      const QColor& tint, double spacing);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void onTick(double now);

    int m_segmentCount;
    QColor m_tint;
    double m_spacing;
    float m_target;
    notchkit::AnimatedValue m_value;
    notchkit::AnimationDriver m_driver;
};

}  // namespace halvane
