#pragma once

#include <QColor>
#include <QWidget>

#include <memory>
#include <optional>

#include "AnimatedValue.h"
#include "AnimationDriver.h"
#include "NotchBinding.h"

namespace notchkit {

// A ring that fills clockwise from the top to the bound fraction. When first
// shown it fills from empty, so the value reads as arriving.
class NotchProgressRing final : public QWidget {
    Q_OBJECT

public:
    // Without a colour the ring is white on the notch and the text colour elsewhere.
    NotchProgressRing(std::shared_ptr<NotchBinding> target, std::optional<QColor> color,
                      QWidget* parent = nullptr);

    // 3 in a compact slot, 4 in the expanded one.
    double thickness() const;
    bool isLoaded() const { return m_isLoaded; }
    // The fraction of the circle drawn right now.
    double displayedFraction() const;
    QColor color() const;

    QSize sizeHint() const override { return {24, 24}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void onTick(double now);

    std::shared_ptr<NotchBinding> m_target;
    std::optional<QColor> m_color;
    bool m_isLoaded = false;
    AnimationDriver m_driver;
    // 0 until loaded, then the target; animated on its way.
    AnimatedValue m_fraction{0, 0.0005};
};

}  // namespace notchkit
