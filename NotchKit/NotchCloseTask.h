#pragma once

#include <functional>
#include <utility>

namespace notchkit {

// The pending fade-and-close of the panel. Cancelling it releases whoever
// waits for the close: their hide has been overtaken by a later request.
class NotchCloseTask final {
public:
    explicit NotchCloseTask(std::function<void()> completion)
        : m_completion(std::move(completion)) {}

    bool isCancelled() const { return m_cancelled; }

    void cancel() {
        m_cancelled = true;
        finish();
    }

    void finish() {
        if (auto completion = std::exchange(m_completion, nullptr)) {
            completion();
        }
    }

private:
    bool m_cancelled = false;
    std::function<void()> m_completion;
};

}  // namespace notchkit
