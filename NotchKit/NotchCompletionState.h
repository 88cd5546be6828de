#pragma once

#include <QObject>

namespace notchkit {

// The shared, observable half of a NotchCompletion: emits finished() once.
class NotchCompletionState final : public QObject {
    Q_OBJECT

public:
    bool isFinished() const { return m_finished; }
    void finish();

signals:
    void finished();

private:
    bool m_finished = false;
};

}  // namespace notchkit
