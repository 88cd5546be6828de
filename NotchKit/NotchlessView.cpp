#include "NotchlessView.h"

#include <QLayout>
#include <QTimer>

#include <cmath>

#include "NotchPresenter.h"
#include "NotchSlot.h"
#include "NotchTransitionEffect.h"
#include "VisualEffectView.h"

namespace notchkit {

NotchlessView::NotchlessView(NotchPresenter* presenter, QWidget* home, QWidget* parent)
    : NotchFormView(presenter, parent),
      m_background(new VisualEffectView(VisualEffectView::Material::popover,
                                        VisualEffectView::BlendingMode::behindWindow, this)),
      m_expanded(new NotchSlot(presenter->expandedContent(), home, NotchSection::expanded,
                               QMargins(safeAreaInset, safeAreaInset, safeAreaInset, safeAreaInset),
                               NotchTransition::floatingContent(), this)) {
    connect(m_expanded, &NotchSlot::idealSizeMayHaveChanged, this, [this] {
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
    refresh(std::nullopt);
    relayout();
}

NotchlessMetrics NotchlessView::targetMetrics() const {
    const auto* p = presenter();
    const QMargins margins = m_expanded->layout()->contentsMargins();
    return NotchlessMetrics::compute(p->state(), p->style(), p->notchSize().height(),
                                     QSizeF(m_expanded->idealSize().shrunkBy(margins)));
}

void NotchlessView::refresh(const std::optional<Animation>& animation) {
    const NotchlessMetrics target = targetMetrics();
    m_windowHeight = target.frameSize.height();
    const double t = now();
    m_cardWidth.setTarget(target.cardSize.width(), animation, t);
    m_cardHeight.setTarget(target.cardSize.height(), animation, t);
    m_yOffset.setTarget(target.yOffset, animation, t);
    m_presence.setTarget(presenter()->state() == NotchState::expanded ? 1 : 0, animation, t);
    m_background->setCornerRadius(target.cornerRadius);
}

bool NotchlessView::advance(double now) {
    bool moving = false;
    for (AnimatedValue* value : {&m_cardWidth, &m_cardHeight, &m_yOffset, &m_presence}) {
        moving = value->advance(now) || moving;
    }
    return moving;
}

QRectF NotchlessView::cardRect() const {
    const double padding = NotchlessMetrics::outerPadding;
    const double width = m_cardWidth.value();
    return {this->width() / 2.0 - width / 2, m_yOffset.value() + padding, width,
            m_cardHeight.value()};
}

QPainterPath NotchlessView::surfacePath() const {
    const double radius = targetMetrics().cornerRadius;
    QPainterPath path;
    const QRectF card = cardRect();
    if (card.width() > 0 && card.height() > 0) {
        path.addRoundedRect(card, radius, radius);
    }
    return path;
}

void NotchlessView::relayout() {
    const QRectF card = cardRect();
    const QRect background = card.toAlignedRect();
    m_background->setGeometry(background);
    m_background->setVisible(card.width() > 0.5 && card.height() > 0.5);

    // The content keeps its own size and is clipped by the card as it shrinks.
    const QSize ideal = m_expanded->idealSize();
    const QRect slot(static_cast<int>(std::lround(width() / 2.0 - ideal.width() / 2.0)),
                     static_cast<int>(std::lround(card.top())), ideal.width(), ideal.height());
    if (m_expanded->geometry() != slot) {
        m_expanded->setGeometry(slot);
    }
    m_expanded->transitionEffect()->setPresence(m_presence.value());
    m_expanded->transitionEffect()->setClipPath(
        isAnimating() ? std::optional(surfacePath().translated(-slot.topLeft())) : std::nullopt);
    m_expanded->setVisible(m_presence.value() > 0.001 || m_presence.target() > 0);
}

void NotchlessView::resizeEvent(QResizeEvent* event) {
    NotchFormView::resizeEvent(event);
    relayout();
    emit surfaceChanged();
}

}  // namespace notchkit
