#pragma once

#include <QAbstractButton>
#include <QColor>

#include <chrono>

#include "Halvane/Notch/SessionList/SessionUIStatus.h"
#include "Halvane/Sessions/Clock.h"
#include "Halvane/Sessions/Session.h"

class QVariantAnimation;

namespace halvane {

class CollapseButton;
class NotchText;
class SessionStatusBadge;
class StatusChip;
class IconLabel;

// One session in the expanded list: its state badge, project, state chip,
// terminal and age on one line; unfolded, also what the user last asked and
// an invitation to open it. The whole row is one button: clicked() is a tap.
class SessionRow final : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kFoldDuration{180};
    static constexpr qreal kCornerRadius = 12;

    SessionRow(Session session, bool isExpanded, QWidget* parent = nullptr, Clock clock = Clock());

    const Session& session() const { return m_session; }
    void setSession(const Session& session);
    bool isExpanded() const { return m_expanded; }
    // Folds or unfolds, easing the height when shown.
    void setExpanded(bool expanded);
    bool isHovering() const { return m_hovering; }
    bool isAnimating() const;
    SessionUIStatus status() const;
    CollapseButton* collapseButton() const { return m_collapseButton; }
    // Re-reads the clock for the age shown.
    void refreshTime();

    // The row's background for a state of unfolding and hovering.
    static QColor backgroundFill(bool expanded, bool hovering);
    static QColor backgroundBorder(bool expanded, bool hovering);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

signals:
    // The unfolded row's collapse button was pressed.
    void collapseRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    QWidget* buildCollapsedBody();
    QWidget* buildExpandedBody();
    void refresh();
    void placeBodies();
    int targetHeight(int width) const;
    QWidget* currentBody() const;
    int verticalPadding() const;

    Session m_session;
    bool m_expanded;
    Clock m_clock;
    bool m_hovering = false;

    QWidget* m_collapsedBody = nullptr;
    SessionStatusBadge* m_collapsedBadge = nullptr;
    NotchText* m_collapsedName = nullptr;
    StatusChip* m_collapsedChip = nullptr;
    IconLabel* m_collapsedTerminal = nullptr;
    NotchText* m_collapsedTime = nullptr;

    QWidget* m_expandedBody = nullptr;
    SessionStatusBadge* m_expandedBadge = nullptr;
    NotchText* m_expandedName = nullptr;
    NotchText* m_expandedTime = nullptr;
    NotchText* m_preview = nullptr;
    StatusChip* m_expandedChip = nullptr;
    IconLabel* m_expandedTerminal = nullptr;

    CollapseButton* m_collapseButton;
    QVariantAnimation* m_fold;
    int m_foldFrom = 0;
};

}  // namespace halvane
