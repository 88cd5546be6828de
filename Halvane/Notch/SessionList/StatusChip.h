#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include "Halvane/Notch/SessionList/SessionUIStatus.h"

class QHBoxLayout;

namespace halvane {

// The small tinted tag that names a row's state: a breathing dot and
// "Waiting for input", "Working" with typing dots, a green "Done", a grey "Idle".
class StatusChip final : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal kCornerRadius = 4;
    static constexpr qreal kFillOpacity = 0.14;

    struct Look {
        QColor color;
        QString text;
    };
    static Look lookFor(SessionUIStatus status);

    explicit StatusChip(SessionUIStatus status, QWidget* parent = nullptr);

    SessionUIStatus status() const { return m_status; }
    void setStatus(SessionUIStatus status);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void build();

    SessionUIStatus m_status;
    QHBoxLayout* m_layout;
};

}  // namespace halvane
