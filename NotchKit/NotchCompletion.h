#pragma once

#include <QObject>

#include <functional>
#include <memory>

#include "NotchCompletionState.h"

namespace notchkit {

// The result of an asynchronous notch operation: finishes once, on the main
// thread. Callers chain the next step with then(); tests wait on notifier()'s
// finished() with a QSignalSpy or poll isFinished().
class NotchCompletion final {
public:
    // A completion that finishes when resolve() is called.
    static NotchCompletion pending();
    // A completion that has already finished.
    static NotchCompletion finished();

    bool isFinished() const { return m_state->isFinished(); }
    void resolve() const { m_state->finish(); }

    // Runs `step` on the event loop after the completion finishes (also when it
    // already has), unless `context` is gone by then.
    void then(QObject* context, std::function<void()> step) const;

    NotchCompletionState* notifier() const { return m_state.get(); }

private:
    NotchCompletion();

    std::shared_ptr<NotchCompletionState> m_state;
};

}  // namespace notchkit
