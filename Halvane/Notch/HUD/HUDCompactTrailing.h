#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

#include "NotchKit/AnimatedValue.h"
#include "NotchKit/AnimationDriver.h"

namespace halvane {

class BrightnessMonitor;
class HUDState;
class SegmentedBar;
class VolumeMonitor;

// The HUD's right wing: a ten-segment level bar and the level in percent,
// both in red for a low battery and in the accent otherwise. The bar slides
// to a new level; changed digits of the percentage roll in from below.
class HUDCompactTrailing final : public QWidget {
    Q_OBJECT

public:
    static constexpr int width = 120;
    static constexpr int trailingPadding = 6;
    static constexpr int spacing = 6;
    static constexpr int labelWidth = 30;
    static constexpr qreal labelPointSize = 10.5;

    HUDCompactTrailing(HUDState& hud, VolumeMonitor& volume, BrightnessMonitor& brightness,
                       QWidget* parent = nullptr);
    ~HUDCompactTrailing() override;

    float barValue() const;
    QString label() const;
    QColor tint() const;

    SegmentedBar* bar() const { return m_bar; }
    // Where the bar's segments and the label sit, in this widget.
    QRectF barRect() const;
    QRectF labelRect() const;
    bool isRolling() const { return m_roll.isAnimating(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void refresh();
    void onTick(double now);
    void paintLabel(QPainter& painter) const;

    HUDState& m_hud;
    VolumeMonitor& m_volume;
    BrightnessMonitor& m_brightness;
    SegmentedBar* m_bar;
    QFont m_font;
    QString m_label;
    QString m_previousLabel;
    // 0 when a new label appears, 1 once its digits have rolled in.
    notchkit::AnimatedValue m_roll{1, 0.001};
    notchkit::AnimationDriver m_driver;
};

}  // namespace halvane
