#include "NotchCompletionState.h"

namespace notchkit {

void NotchCompletionState::finish() {
    if (m_finished) {
        return;
    }
    m_finished = true;
    emit finished();
}

}  // namespace notchkit
