#include "Halvane/Sessions/DelayedTask.h"

#include <QObject>
#include <QTimer>

namespace halvane {

DelayedTask::DelayedTask(QObject* owner) : m_owner(owner), m_timer(std::make_unique<QTimer>()) {
    m_timer->setSingleShot(true);
    // Precise, so that waits started in order also end in order.
    m_timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { fire(); });
}

DelayedTask::~DelayedTask() = default;

void DelayedTask::start(std::chrono::milliseconds delay, std::function<void()> body) {
    m_body = std::move(body);
    m_timer->start(delay);
}

void DelayedTask::cancel() {
    m_timer->stop();
    m_body = nullptr;
}

bool DelayedTask::isActive() const {
    return m_running || m_timer->isActive();
}

void DelayedTask::fire() {
    // Moved out first: the body may start this task again.
    std::function<void()> body = std::move(m_body);
    m_body = nullptr;
    if (m_owner.isNull() || !body) {
        return;
    }
    m_running = true;
    body();
    m_running = false;
}

}  // namespace halvane
