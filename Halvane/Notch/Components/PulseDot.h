#pragma once

#include <QColor>
#include <QWidget>

#include <chrono>

#include "NotchKit/AnimationDriver.h"

namespace halvane {

// A small dot that breathes (grows a little and fades, then back) while shown:
// the "waiting for you" cue.
class PulseDot final : public QWidget {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kHalfPeriod{900};
    static constexpr qreal kDiameter = 6;

    explicit PulseDot(const QColor& color, QWidget* parent = nullptr,
                      std::chrono::milliseconds halfPeriod = kHalfPeriod);

    const QColor& color() const { return m_color; }
    // How far the dot has breathed out: 0 (small, opaque) to 1 (large, faded).
    qreal breath() const;
    // The dot's scale and opacity at a breath.
    static qreal scaleAt(qreal breath);
    static qreal opacityAt(qreal breath);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QColor m_color;
    std::chrono::milliseconds m_halfPeriod;
    notchkit::AnimationDriver m_driver;
    double m_startedAt = 0;
    bool m_breathing = false;
};

}  // namespace halvane
