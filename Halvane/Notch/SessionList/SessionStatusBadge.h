#pragma once

#include <QColor>
#include <QWidget>

#include "Halvane/Notch/Components/SoftShadow.h"
#include "Halvane/Notch/SessionList/SessionUIStatus.h"
#include "Halvane/Theme/Icon.h"

namespace halvane {

// The rounded square at the start of a session row: a glowing accent tile
// with "!" or a sparkle while the session needs the user or works, a faint
// green check when it just finished, a dim pause sign when idle. The glow
// spills past the tile, so the row under it paints it (see glow()).
class SessionStatusBadge final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSide = 28;
    static constexpr qreal kCornerRadius = 8;

    struct Look {
        QColor fill;  // opacity included
        bool glows = false;
        Icon icon;
        QColor iconColor;
    };
    static Look lookFor(SessionUIStatus status);

    // The accent glow under a tile that glows.
    static const SoftShadow& glow();

    explicit SessionStatusBadge(SessionUIStatus status, QWidget* parent = nullptr);

    SessionUIStatus status() const { return m_status; }
    void setStatus(SessionUIStatus status);

    QSize sizeHint() const override { return QSize(kSide, kSide); }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SessionUIStatus m_status;
};

}  // namespace halvane
