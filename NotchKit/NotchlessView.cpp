#include "NotchlessView.h"

#include <QLayout>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "CardBackdrop.h"
#include "NotchPresenter.h"
#include "NotchSlot.h"
#include "NotchTransitionEffect.h"

namespace notchkit {

namespace {

// The pill's wings keep clear of its rounded ends and of each other.
const QMargins leadingInsets(8, 0, 4, 0);
const QMargins trailingInsets(4, 0, 10, 0);

}  // namespace

NotchlessView::NotchlessView(NotchPresenter* presenter, QWidget* home, QWidget* parent)
    : NotchFormView(presenter, parent),
      m_background(new CardBackdrop(this)),
      m_expanded(new NotchSlot(presenter->expandedContent(), home, NotchSection::expanded,
                               QMargins(safeAreaInset, safeAreaInset, safeAreaInset, safeAreaInset),
                               NotchTransition::floatingContent(), this)),
      m_leading(new NotchSlot(presenter->compactLeadingContent(), home,
                              NotchSection::compactLeading, leadingInsets,
                              NotchTransition::floatingContent(), this)),
      m_trailing(new NotchSlot(presenter->compactTrailingContent(), home,
                               NotchSection::compactTrailing, trailingInsets,
                               NotchTransition::floatingContent(), this)) {
    for (NotchSlot* slot : {m_expanded, m_leading, m_trailing}) {
        connect(slot, &NotchSlot::idealSizeMayHaveChanged, this, [this] {
            if (m_measurePending) {
                return;
            }
            m_measurePending = true;
            QTimer::singleShot(0, this, [this] {
                m_measurePending = false;
                refresh(NotchFormView::presenter()->transaction());
                animate();
            });
        });
    }
    refresh(std::nullopt);
    relayout();
}

double NotchlessView::wingWidth(const NotchSlot* slot, bool disabled) const {
    return disabled ? 0 : slot->idealSize().width();
}

QSizeF NotchlessView::wingsSize() const {
    const auto* p = presenter();
    const bool leading = !p->disableCompactLeading();
    const bool trailing = !p->disableCompactTrailing();
    const double height = std::max(leading ? m_leading->idealSize().height() : 0,
                                   trailing ? m_trailing->idealSize().height() : 0);
    return {wingWidth(m_leading, !leading) + wingWidth(m_trailing, !trailing), height};
}

NotchlessMetrics NotchlessView::targetMetrics() const {
    const auto* p = presenter();
    const QMargins margins = m_expanded->layout()->contentsMargins();
    // Below the top panel: the menu bar's height, which is the notch's on a notchless screen.
    return NotchlessMetrics::compute(p->state(), p->style(), p->menubarHeight(),
                                     QSizeF(m_expanded->idealSize().shrunkBy(margins)),
                                     wingsSize());
}

void NotchlessView::refresh(const std::optional<Animation>& animation) {
    const NotchlessMetrics target = targetMetrics();
    m_windowHeight = target.frameSize.height();
    const double t = now();
    m_cardWidth.setTarget(target.cardSize.width(), animation, t);
    m_cardHeight.setTarget(target.cardSize.height(), animation, t);
    m_yOffset.setTarget(target.yOffset, animation, t);
    m_cornerRadius.setTarget(target.cornerRadius, animation, t);
    const NotchState state = presenter()->state();
    m_presence.setTarget(state == NotchState::expanded ? 1 : 0, animation, t);
    m_wingsPresence.setTarget(state == NotchState::compact ? 1 : 0, animation, t);
}

bool NotchlessView::advance(double now) {
    bool moving = false;
    for (AnimatedValue* value : {&m_cardWidth, &m_cardHeight, &m_yOffset, &m_cornerRadius,
                                 &m_presence, &m_wingsPresence}) {
        moving = value->advance(now) || moving;
    }
    return moving;
}

QRectF NotchlessView::cardRect() const {
    const double padding = NotchlessMetrics::outerPadding;
    const double width = std::max(0.0, m_cardWidth.value());
    return {this->width() / 2.0 - width / 2, m_yOffset.value() + padding, width,
            std::max(0.0, m_cardHeight.value())};
}

QPainterPath NotchlessView::surfacePath() const {
    QPainterPath path;
    const QRectF card = cardRect();
    if (card.width() > 0 && card.height() > 0) {
        const double radius =
            std::clamp(m_cornerRadius.value(), 0.0, std::min(card.width(), card.height()) / 2);
        path.addRoundedRect(card, radius, radius);
    }
    return path;
}

void NotchlessView::setCompositing(bool compositing) {
    m_background->setTranslucent(compositing);
}

void NotchlessView::placeSlot(NotchSlot* slot, const AnimatedValue& presence, const QRect& frame) {
    if (slot->geometry() != frame) {
        slot->setGeometry(frame);
    }
    slot->transitionEffect()->setPresence(presence.value());
    // The content keeps its own size and is clipped by the card as it changes.
    slot->transitionEffect()->setClipPath(
        isAnimating() ? std::optional(surfacePath().translated(-frame.topLeft())) : std::nullopt);
    slot->setVisible(presence.value() > 0.001 || presence.target() > 0);
}

void NotchlessView::relayout() {
    const QRectF card = cardRect();
    m_background->setGeometry(card.toAlignedRect());
    m_background->setCornerRadius(
        std::clamp(m_cornerRadius.value(), 0.0, std::min(card.width(), card.height()) / 2));
    m_background->setVisible(card.width() > 0.5 && card.height() > 0.5);

    const QSize ideal = m_expanded->idealSize();
    placeSlot(m_expanded, m_presence,
              QRect(static_cast<int>(std::lround(width() / 2.0 - ideal.width() / 2.0)),
                    static_cast<int>(std::lround(card.top())), ideal.width(), ideal.height()));

    // The wings sit at the pill's two ends, centred on its height.
    const auto* p = presenter();
    const QSizeF wings = wingsSize();
    const double pillHeight = std::max(NotchlessMetrics::pillHeight, wings.height());
    const double pillLeft = width() / 2.0 - wings.width() / 2;
    const double pillTop = card.center().y() - pillHeight / 2;
    const int leadingWidth = static_cast<int>(wingWidth(m_leading, p->disableCompactLeading()));
    const int trailingWidth = static_cast<int>(wingWidth(m_trailing, p->disableCompactTrailing()));
    const AnimatedValue off(0);
    placeSlot(m_leading, p->disableCompactLeading() ? off : m_wingsPresence,
              QRect(static_cast<int>(std::lround(pillLeft)), static_cast<int>(std::lround(pillTop)),
                    leadingWidth, static_cast<int>(pillHeight)));
    placeSlot(
        m_trailing, p->disableCompactTrailing() ? off : m_wingsPresence,
        QRect(static_cast<int>(std::lround(pillLeft + wings.width() - trailingWidth)),
              static_cast<int>(std::lround(pillTop)), trailingWidth, static_cast<int>(pillHeight)));
}

void NotchlessView::resizeEvent(QResizeEvent* event) {
    NotchFormView::resizeEvent(event);
    relayout();
    emit surfaceChanged();
}

}  // namespace notchkit
