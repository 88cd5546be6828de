#include "NotchCompletion.h"

namespace notchkit {

NotchCompletion::NotchCompletion() : m_state(std::make_shared<NotchCompletionState>()) {}

NotchCompletion NotchCompletion::pending() {
    return NotchCompletion();
}

NotchCompletion NotchCompletion::finished() {
    NotchCompletion completion;
    completion.resolve();
    return completion;
}

void NotchCompletion::then(QObject* context, std::function<void()> step) const {
    // Always deliver on a later turn of the loop, so a continuation never runs
    // in the middle of the operation that finished it.
    if (m_state->isFinished()) {
        QMetaObject::invokeMethod(context, std::move(step), Qt::QueuedConnection);
        return;
    }
    // Keep the state alive until it has delivered, even if every handle is dropped.
    auto keepAlive = m_state;
    QObject::connect(
        m_state.get(), &NotchCompletionState::finished, context,
        [keepAlive, step = std::move(step)] { step(); },
        static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
}

}  // namespace notchkit
