#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include <chrono>

#include "NotchKit/AnimatedValue.h"
#include "NotchKit/AnimationDriver.h"

namespace halvane {

class NumericText;
class SessionStore;

// The left wing of the compact notch: the mark with a ring pulsing out of it,
// tinted for the most urgent state (orange when someone waits, green just
// after a finish), and the number of sessions. A tap opens the notch.
class CompactLeading final : public QWidget {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kPulsePeriod{1400};
    static constexpr qreal kMarkSlot = 16;
    static constexpr qreal kMarkSize = 12;

    explicit CompactLeading(SessionStore& sessions, QWidget* parent = nullptr);

    // Orange while a prompt waits, green while a session has just finished,
    // else the mark's own warm tone.
    QColor accent() const;
    // The mark's current tilt in radians (π/8 while a prompt waits).
    double rotation() const { return m_rotation.value(); }
    NumericText* count() const { return m_count; }
    // The ring's scale and opacity at a point of its cycle (0 to 1).
    static qreal ringScaleAt(qreal progress);
    static qreal ringOpacityAt(qreal progress);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // A click on the wing.
    void tapped();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void sync();
    void onTick(double now);
    QRectF markSlot() const;
    const QImage& glowFor(const QColor& color);

    SessionStore& m_sessions;
    // Set once first shown; from then on the ring pulses for good.
    bool m_pulse = false;
    double m_pulseStart = 0;
    NumericText* m_count;
    notchkit::AnimationDriver m_driver;
    notchkit::AnimatedValue m_rotation{0, 0.0005};
    QColor m_glowColor;
    QImage m_glow;
};

}  // namespace halvane
