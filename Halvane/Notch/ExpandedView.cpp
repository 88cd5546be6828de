#include "ExpandedView.h"

#include <QEvent>
#include <QLayout>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "Halvane/Notch/Cards/PromptCard.h"
#include "Halvane/Notch/SessionList/SessionListCard.h"
#include "Halvane/Sessions/SessionStore.h"
#include "NotchKit/NotchTransition.h"

namespace halvane {

namespace {

// Cards come and go with a slight zoom about their centre and a fade.
const notchkit::NotchTransition kCardTransition{{0.96, 0.96, {0.5, 0.5}}, {0}};
const notchkit::Animation kCardSpring = notchkit::Animation::spring(0.42, 0.84);

int widthFor(QWidget* card) {
    return qobject_cast<PromptCard*>(card) != nullptr ? ExpandedView::kPromptCardWidth
                                                      : ExpandedView::kListCardWidth;
}

}  // namespace

ExpandedView::ExpandedView(SessionStore& sessions, QWidget* parent)
    : ExpandedView(sessions, Clock(), parent) {}

ExpandedView::ExpandedView(SessionStore& sessions, Clock clock, QWidget* parent)
    : QWidget(parent), m_sessions(sessions), m_clock(std::move(clock)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(&m_sessions, &SessionStore::changed, this, &ExpandedView::sync);
    connect(&m_driver, &notchkit::AnimationDriver::tick, this, &ExpandedView::onTick);
    sync();
}

bool ExpandedView::isPromptCard() const {
    const auto pending = m_sessions.pending();
    return !pending.empty() && pending.front().status.isWaitingForUser();
}

void ExpandedView::sync() {
    const auto pending = m_sessions.pending();
    if (!pending.empty() && pending.front().status.isWaitingForUser()) {
        const Session& session = pending.front();
        const PendingPrompt& prompt = *session.status.prompt();
        const int count = static_cast<int>(pending.size());
        PromptKey key{prompt.id, count, session.lastModel, session.cwd};
        if (m_promptCard != nullptr && m_promptKey == key) {
            m_promptCard->setLastEvent(session.lastEvent);
            return;
        }
        const bool kindChanges = m_promptCard == nullptr;
        const std::string id = session.id;
        auto* card = new PromptCard(session, prompt, count, this, m_clock);
        connect(card, &PromptCard::decided, this,
                [this, id](const HookDecision& decision) { m_sessions.resolve(id, decision); });
        connect(card, &PromptCard::alwaysAllowed, this,
                [this, id] { m_sessions.resolveAlways(id); });
        m_promptKey = key;
        present(card, kindChanges);
        return;
    }
    m_promptKey.reset();
    if (m_sessions.sessions().empty()) {
        if (m_card != nullptr) {
            present(nullptr, true);
        }
        return;
    }
    if (m_listCard != nullptr) {
        m_listCard->refresh();
        return;
    }
    present(
        new SessionListCard(m_sessions, std::nullopt, kRowSpacing, kVisibleRowLimit, this, m_clock),
        true);
}

void ExpandedView::present(QWidget* card, bool animate) {
    const QSize before = sizeHint();
    const bool visibly = animate && isVisible();
    finishTransition();
    QImage leaving;
    QSize leavingOuter;
    if (m_card != nullptr) {
        if (visibly) {
            leaving = snapshot(m_card);
            leavingOuter = outerSize(m_card);
        }
        if (auto* outgoing = qobject_cast<PromptCard*>(m_card.data())) {
            outgoing->retire();
        }
        // Later, not now: this may run inside one of the card's own buttons.
        m_card->hide();
        m_card->deleteLater();
    }
    m_card = card;
    m_promptCard = qobject_cast<PromptCard*>(card);
    m_listCard = qobject_cast<SessionListCard*>(card);
    placeCards();
    if (visibly) {
        m_leaving = leaving;
        m_leavingOuter = leavingOuter;
        m_entering = card != nullptr ? snapshot(card) : QImage();
        m_fromSize = before;
        m_progress.reset(0);
        m_progress.setTarget(1, kCardSpring, m_driver.now());
        m_driver.start();
    } else if (card != nullptr) {
        card->show();
    }
    updateGeometry();
    update();
}

QSize ExpandedView::outerSize(QWidget* card) const {
    if (card == nullptr) {
        return QSize(0, 0);
    }
    const int width = widthFor(card);
    const int inner = width - 2 * kCardPadding;
    return QSize(width, card->heightForWidth(inner) + 2 * kCardPadding);
}

QSize ExpandedView::sizeHint() const {
    const QSize target = outerSize(m_card);
    if (!isTransitioning()) {
        return target;
    }
    const double progress = m_progress.value();
    const auto blend = [progress](int from, int to) {
        return std::max(0, static_cast<int>(std::lround(from + (to - from) * progress)));
    };
    return QSize(blend(m_fromSize.width(), target.width()),
                 blend(m_fromSize.height(), target.height()));
}

QRect ExpandedView::cardFrame(QSize outer) const {
    const int x = (width() - outer.width()) / 2 + kCardPadding;
    return QRect(x, kCardPadding, outer.width() - 2 * kCardPadding,
                 outer.height() - 2 * kCardPadding);
}

void ExpandedView::placeCards() {
    if (m_card != nullptr) {
        m_card->setGeometry(cardFrame(outerSize(m_card)));
    }
}

void ExpandedView::onTick(double now) {
    if (!m_progress.advance(now)) {
        finishTransition();
    }
    updateGeometry();
    placeCards();
    update();
}

void ExpandedView::finishTransition() {
    if (!isTransitioning()) {
        return;
    }
    m_driver.stop();
    m_progress.reset(1);
    m_entering = QImage();
    m_leaving = QImage();
    if (m_card != nullptr) {
        m_card->show();
    }
    updateGeometry();
    update();
}

QImage ExpandedView::snapshot(QWidget* card) {
    if (QLayout* layout = card->layout()) {
        layout->activate();
    }
    return card->grab().toImage();
}

void ExpandedView::paintEvent(QPaintEvent*) {
    if (!isTransitioning()) {
        return;
    }
    QPainter painter(this);
    const double presence = std::clamp(m_progress.value(), 0.0, 1.1);
    if (!m_leaving.isNull()) {
        const QRect frame = cardFrame(m_leavingOuter);
        kCardTransition.paint(painter, m_leaving, frame.topLeft(), QRectF(frame), 1 - presence);
    }
    if (!m_entering.isNull() && m_card != nullptr) {
        const QRect frame = m_card->geometry();
        kCardTransition.paint(painter, m_entering, frame.topLeft(), QRectF(frame), presence);
    }
}

bool ExpandedView::event(QEvent* event) {
    // A card changed its size: so does this view.
    if (event->type() == QEvent::LayoutRequest) {
        updateGeometry();
        placeCards();
    }
    return QWidget::event(event);
}

void ExpandedView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeCards();
}

void ExpandedView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    finishTransition();
}

void ExpandedView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Every opening of the list starts with all rows folded.
    if (m_listCard != nullptr && m_listCard->expandedSessionId()) {
        present(new SessionListCard(m_sessions, std::nullopt, kRowSpacing, kVisibleRowLimit, this,
                                    m_clock),
                false);
    }
}

}  // namespace halvane
