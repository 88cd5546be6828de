#pragma once

#include <QWidget>

namespace halvane {

class TypingDots;

// "working" and typing dots in the accent colour: the compact notch's sign
// that a session is busy.
class WorkingChip final : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal kSpacing = 4;

    explicit WorkingChip(QWidget* parent = nullptr);

    TypingDots* dots() const { return m_dots; }
    // The whole chip's opacity, for the fade as it comes and goes.
    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal opacity);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    qreal textWidth() const;

    TypingDots* m_dots;
    qreal m_opacity = 1;
};

}  // namespace halvane
