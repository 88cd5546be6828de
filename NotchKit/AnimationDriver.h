#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace notchkit {

// The frame clock of one view: ticks about 60 times a second while something
// animates and stays silent otherwise.
class AnimationDriver final : public QObject {
    Q_OBJECT

public:
    explicit AnimationDriver(QObject* parent = nullptr);

    // Seconds since the driver was made, on a monotonic clock.
    double now() const;
    void start();
    void stop();
    bool isRunning() const { return m_timer.isActive(); }

signals:
    void tick(double now);

private:
    QElapsedTimer m_clock;
    QTimer m_timer;
};

}  // namespace notchkit
