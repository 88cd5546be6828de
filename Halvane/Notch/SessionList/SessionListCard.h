#pragma once

#include <QTimer>
#include <QWidget>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Halvane/Sessions/Clock.h"
#include "Halvane/Sessions/Session.h"

class QVBoxLayout;

namespace halvane {

class CappedScrollArea;
class CardHeader;
class SessionRow;
class SessionStore;

// The expanded notch's list of Claude Code sessions, newest activity first,
// under a header that sums them up. A first click on a row unfolds it, a
// second click brings its terminal to the front.
class SessionListCard final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kListHeightCap = 320;
    static constexpr std::chrono::seconds kAgeRefresh{15};

    SessionListCard(SessionStore& sessions, std::optional<std::string> expandedSessionId,
                    int rowSpacing, int visibleRowLimit, QWidget* parent = nullptr,
                    Clock clock = Clock());

    // Unfolds the row, or jumps to the terminal when it is unfolded already.
    void handleTap(const Session& session);
    // Folds the unfolded row.
    void collapse();
    // Re-reads the store.
    void refresh();

    const std::optional<std::string>& expandedSessionId() const { return m_expandedSessionId; }
    std::vector<SessionRow*> rows() const;
    CardHeader* header() const { return m_header; }
    // Whether the rows sit in a scroll view (more rows than the limit).
    bool isScrolling() const;
    CappedScrollArea* list() const { return m_scroll; }

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void applyExpansion();
    QString hintText() const;

    SessionStore& m_sessions;
    std::optional<std::string> m_expandedSessionId;
    int m_visibleRowLimit;
    Clock m_clock;
    CardHeader* m_header;
    QWidget* m_rowsHost;
    QVBoxLayout* m_rowsLayout;
    CappedScrollArea* m_scroll;
    std::map<std::string, SessionRow*> m_rows;
    QTimer m_ageTimer;
};

}  // namespace halvane
