#pragma once

#include <QPointer>
#include <chrono>
#include <functional>
#include <memory>

class QObject;
class QTimer;

namespace halvane {

// One cancellable wait on the main thread's event loop. Starting it again
// replaces the previous wait; a cancelled wait never runs its body; the body
// never runs once the owner is destroyed, so it may use the owner freely.
// The body must not destroy the task that runs it.
class DelayedTask final {
public:
    explicit DelayedTask(QObject* owner);
    ~DelayedTask();
    DelayedTask(const DelayedTask&) = delete;
    DelayedTask& operator=(const DelayedTask&) = delete;

    void start(std::chrono::milliseconds delay, std::function<void()> body);
    void cancel();
    // Waiting, or running its body right now.
    bool isActive() const;

private:
    void fire();

    QPointer<QObject> m_owner;
    std::unique_ptr<QTimer> m_timer;
    std::function<void()> m_body;
    bool m_running = false;
};

}  // namespace halvane
