#include "Halvane/Notch/SessionList/SessionListCard.h"

#include <QVBoxLayout>

#include <algorithm>

#include "Halvane/Notch/Components/CappedScrollArea.h"
#include "Halvane/Notch/Components/CardContent.h"
#include "Halvane/Notch/Components/CardHeader.h"
#include "Halvane/Notch/Components/IconBadge.h"
#include "Halvane/Notch/Components/NotchCardBackground.h"
#include "Halvane/Notch/SessionList/SessionListText.h"
#include "Halvane/Notch/SessionList/SessionRow.h"
#include "Halvane/Sessions/SessionStore.h"
#include "Halvane/Terminals/Focus/TerminalFocusService.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchText.h"

namespace halvane {

namespace {

constexpr int kCardPadding = 14;
constexpr int kSectionSpacing = 12;
constexpr std::chrono::milliseconds kSubtitleFade{200};

}  // namespace

SessionListCard::SessionListCard(SessionStore& sessions,
                                 std::optional<std::string> expandedSessionId, int rowSpacing,
                                 int visibleRowLimit, QWidget* parent, Clock clock)
    : QWidget(parent),
      m_sessions(sessions),
      m_expandedSessionId(std::move(expandedSessionId)),
      m_visibleRowLimit(visibleRowLimit),
      m_clock(std::move(clock)),
      m_header(new CardHeader(QStringLiteral("Claude Code"), QString(), QString(),
                              {NotchFonts::rounded(10, QFont::Medium), 0, 0})),
      m_rowsHost(new QWidget),
      m_rowsLayout(new QVBoxLayout(m_rowsHost)),
      m_scroll(
          new CappedScrollArea(m_rowsHost, std::nullopt, CappedScrollArea::Indicators::hidden)) {
    setAttribute(Qt::WA_TranslucentBackground);
    m_header->subtitle()->setCrossfade(kSubtitleFade);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(rowSpacing);

    auto* content = new CardContent;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(kCardPadding, kCardPadding, kCardPadding, kCardPadding);
    column->setSpacing(kSectionSpacing);
    column->addWidget(m_header);
    column->addWidget(m_scroll);
    content->addGlow(m_header->badge(), m_header->badgeGlow(), m_header->badge()->corner());

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(new NotchCardBackground(content));

    m_ageTimer.setInterval(kAgeRefresh);
    connect(&m_ageTimer, &QTimer::timeout, this, [this] {
        for (auto& [id, row] : m_rows) {
            row->refreshTime();
        }
    });
    refresh();
}

void SessionListCard::refresh() {
    const std::vector<Session> sorted = m_sessions.allSorted();
    // Rows live as long as their session, so hover and animations survive updates.
    for (auto it = m_rows.begin(); it != m_rows.end();) {
        const bool present = std::any_of(sorted.begin(), sorted.end(),
                                         [&](const Session& s) { return s.id == it->first; });
        if (present) {
            ++it;
            continue;
        }
        m_rowsLayout->removeWidget(it->second);
        it->second->hide();
        it->second->deleteLater();
        it = m_rows.erase(it);
    }
    for (int index = 0; index < static_cast<int>(sorted.size()); ++index) {
        const Session& session = sorted[static_cast<std::size_t>(index)];
        SessionRow*& row = m_rows[session.id];
        if (row == nullptr) {
            row = new SessionRow(session, m_expandedSessionId == session.id, nullptr, m_clock);
            SessionRow* const tapped = row;
            connect(row, &QAbstractButton::clicked, this,
                    [this, tapped] { handleTap(tapped->session()); });
            connect(row, &SessionRow::collapseRequested, this, &SessionListCard::collapse);
        } else {
            row->setSession(session);
        }
        if (m_rowsLayout->indexOf(row) != index) {
            m_rowsLayout->removeWidget(row);
            m_rowsLayout->insertWidget(index, row);
        }
        row->show();
    }
    const int count = static_cast<int>(sorted.size());
    m_scroll->setCap(count > m_visibleRowLimit ? std::optional<int>(kListHeightCap) : std::nullopt);

    int working = 0;
    for (const auto& [id, session] : m_sessions.sessions()) {
        working += session.status.kind() == SessionStatus::Kind::working ? 1 : 0;
    }
    m_header->subtitle()->setText(
        SessionListText::subtitle(static_cast<int>(m_sessions.pending().size()), working, count));
    m_header->trailing()->setText(hintText());
    updateGeometry();
}

void SessionListCard::handleTap(const Session& session) {
    if (m_expandedSessionId == session.id) {
        TerminalFocusService::jump(session);
        return;
    }
    m_expandedSessionId = session.id;
    applyExpansion();
}

void SessionListCard::collapse() {
    m_expandedSessionId.reset();
    applyExpansion();
}

void SessionListCard::applyExpansion() {
    for (auto& [id, row] : m_rows) {
        row->setExpanded(m_expandedSessionId == id);
    }
    m_header->trailing()->setText(hintText());
}

QString SessionListCard::hintText() const {
    // A stale id (its session gone) unfolds nothing, so it hints as folded.
    const bool unfolded = m_expandedSessionId && m_rows.count(*m_expandedSessionId) != 0;
    return unfolded ? QStringLiteral("Click again to open")
                    : QStringLiteral("Click to expand, click again to open");
}

std::vector<SessionRow*> SessionListCard::rows() const {
    std::vector<SessionRow*> ordered;
    for (int index = 0; index < m_rowsLayout->count(); ++index) {
        if (auto* row = qobject_cast<SessionRow*>(m_rowsLayout->itemAt(index)->widget())) {
            ordered.push_back(row);
        }
    }
    return ordered;
}

bool SessionListCard::isScrolling() const {
    return m_scroll->cap().has_value();
}

QSize SessionListCard::sizeHint() const {
    const int width = QWidget::sizeHint().width();
    return QSize(width, heightForWidth(width));
}

int SessionListCard::heightForWidth(int width) const {
    // A layout without wrapping text has one height whatever the width.
    const QLayout* column = layout();
    return column->hasHeightForWidth() ? column->totalHeightForWidth(width)
                                       : column->totalSizeHint().height();
}

void SessionListCard::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    for (auto& [id, row] : m_rows) {
        row->refreshTime();
    }
    m_ageTimer.start();
}

void SessionListCard::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_ageTimer.stop();
}

}  // namespace halvane
