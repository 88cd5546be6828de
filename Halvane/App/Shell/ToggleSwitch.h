#pragma once

#include <QAbstractButton>

class QVariantAnimation;

namespace halvane {

// An on/off switch: a capsule that turns accent-coloured with its knob on the
// right when on. Clicking flips it and emits toggled(); setChecked() from code
// moves it without a click.
class ToggleSwitch final : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr QSize kSize{38, 22};

    explicit ToggleSwitch(bool on = false, QWidget* parent = nullptr);

    QSize sizeHint() const override { return kSize; }
    QSize minimumSizeHint() const override { return kSize; }

    // How far the knob has travelled from off (0) to on (1).

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    void follow(bool on);

    qreal m_position;
    QVariantAnimation* m_animation;
};

}  // namespace halvane
