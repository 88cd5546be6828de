#include "AnimationDriver.h"

namespace notchkit {

namespace {
constexpr int frameIntervalMs = 16;
}

AnimationDriver::AnimationDriver(QObject* parent) : QObject(parent) {
    m_clock.start();
    m_timer.setInterval(frameIntervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { emit tick(now()); });
}

double AnimationDriver::now() const {
    return static_cast<double>(m_clock.nsecsElapsed()) / 1e9;
}

void AnimationDriver::start() {
    if (!m_timer.isActive()) {
        m_timer.start();
    }
}

void AnimationDriver::stop() {
    m_timer.stop();
}

}  // namespace notchkit
