#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

#include "NotchKit/AnimatedValue.h"
#include "NotchKit/Animation.h"
#include "NotchKit/AnimationDriver.h"

namespace halvane {

// A number whose changed digits roll to their new value (up when it grows,
// down when it shrinks) instead of being swapped.
class NumericText final : public QWidget {
    Q_OBJECT

public:
    NumericText(long long value, const QFont& font, const QColor& color,
                notchkit::Animation animation, QWidget* parent = nullptr);

    long long value() const { return m_value; }
    QString text() const;
    void setValue(long long value);
    bool isRolling() const { return m_driver.isRunning(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void onTick(double now);

    long long m_value;
    long long m_previous;
    QColor m_color;
    notchkit::Animation m_animation;
    notchkit::AnimationDriver m_driver;
    notchkit::AnimatedValue m_progress{1, 0.001};
};

}  // namespace halvane
