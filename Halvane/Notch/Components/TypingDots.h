#pragma once

#include <QColor>
#include <QTimer>
#include <QWidget>

#include <chrono>

namespace halvane {

// Three small dots, one lit at a time, stepping along while shown: the
// "someone is typing" cue for a busy session.
class TypingDots final : public QWidget {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kStepInterval{350};
    static constexpr qreal kDotSize = 3;
    static constexpr qreal kDotSpacing = 2;
    static constexpr qreal kDimOpacity = 0.3;

    explicit TypingDots(const QColor& color, QWidget* parent = nullptr,
                        std::chrono::milliseconds stepInterval = kStepInterval);

    const QColor& color() const { return m_color; }
    void setColor(const QColor& color);
    // Which dot is lit: 0, 1 or 2.
    int phase() const { return m_phase; }
    bool isStepping() const { return m_timer.isActive(); }
    // The whole row's opacity, for a container that fades it in or out.
    void setOpacity(qreal opacity);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QColor m_color;
    int m_phase = 0;
    qreal m_opacity = 1;
    QTimer m_timer;
};

}  // namespace halvane
