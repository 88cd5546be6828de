#pragma once

#include <QWidget>

class QVariantAnimation;

namespace halvane {

// The application's logo with a soft accent glow behind it that breathes in
// and out while it is on screen.
class PulsingLogo final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPeriodMilliseconds = 1800;

    // Takes ownership of `logo`, drawn `logoSize` points square in the middle.
    PulsingLogo(QWidget* logo, qreal logoSize, QWidget* parent = nullptr);

    bool pulsing() const;
    // 0 at the quietest, 1 at the brightest.
    qreal pulse() const { return m_pulse; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    qreal m_logoSize;
    qreal m_pulse = 0;
    QVariantAnimation* m_animation;
};

}  // namespace halvane
