#pragma once

#include <QWidget>

#include <chrono>

#include "NotchKit/AnimatedValue.h"
#include "NotchKit/AnimationDriver.h"

namespace halvane {

class SessionStore;
class WorkingChip;

// The right wing of the compact notch: one sign for the most urgent state —
// a pulsing bell while a prompt waits, "working" while a session is busy, a
// green check just after a finish, a dim ellipsis otherwise. A tap opens the notch.
class CompactTrailing final : public QWidget {
    Q_OBJECT

public:
    enum class Sign { bell, working, finished, yourTurn, quiet };
    Q_ENUM(Sign)

    static constexpr std::chrono::milliseconds kBellPulsePeriod{1200};
    static constexpr std::chrono::milliseconds kChipFade{200};
    static constexpr qreal kSymbolPointSize = 12;

    explicit CompactTrailing(SessionStore& sessions, QWidget* parent = nullptr);

    Sign sign() const { return m_sign; }
    // Whether any session is busy.
    bool hasWorkingSession() const;
    WorkingChip* workingChip() const { return m_chip; }
    // The bell's opacity at a point of its pulse (0 to 1).
    static qreal bellOpacityAt(qreal progress);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // A click on the wing.
    void tapped();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Sign currentSign() const;
    void sync();
    void onTick(double now);
    void updateDriver();

    SessionStore& m_sessions;
    Sign m_sign = Sign::quiet;
    WorkingChip* m_chip;
    notchkit::AnimationDriver m_driver;
    notchkit::AnimatedValue m_chipPresence{0, 0.001};
};

}  // namespace halvane
