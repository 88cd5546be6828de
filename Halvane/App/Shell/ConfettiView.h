#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QWidget>

#include <chrono>
#include <vector>

class QTimer;

namespace halvane {

// A burst of confetti over whatever lies below: each change of the trigger
// throws `particleCount` pieces in the palette's colours from the top middle,
// which tumble and fall for `duration`. It never takes a click.
class ConfettiView final : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int trigger READ trigger WRITE setTrigger NOTIFY triggerChanged)

public:
    ConfettiView(int particleCount, std::chrono::milliseconds duration, std::vector<QColor> palette,
                 QWidget* parent = nullptr);

    int trigger() const { return m_trigger; }
    // A new value starts a new burst.
    void setTrigger(int trigger);

    // Drawing frames right now.
    bool animating() const;
    int particleCount() const { return m_particleCount; }

    // The palette the onboarding's celebration uses.
    static std::vector<QColor> celebrationPalette();

signals:
    void triggerChanged(int trigger);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Piece {
        QPointF origin;
        QPointF velocity;  // points per second
        qreal spin;        // degrees per second
        qreal size;
        QColor color;
    };

    void tick();

    int m_particleCount;
    std::chrono::milliseconds m_duration;
    std::vector<QColor> m_palette;
    int m_trigger = 0;
    std::vector<Piece> m_pieces;
    QElapsedTimer m_burstAt;
    QTimer* m_frames;
};

}  // namespace halvane
