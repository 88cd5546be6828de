#include "NotchView.h"

#include <QLayout>
#include <QPainter>
#include <QTimer>

#include <cmath>

#include "NotchPresenter.h"
#include "NotchSlot.h"
#include "NotchTransitionEffect.h"

namespace notchkit {

namespace {

// Wings keep clear of the notch's rounded bottom and of the screen edge.
const QMargins leadingInsets(8, 4, 0, 8);
const QMargins trailingInsets(0, 4, 8, 8);
// Measured wing widths settle with their own spring.
const Animation wingWidthSpring = Animation::spring(0.5, 1.0);

}  // namespace

NotchView::NotchView(NotchPresenter* presenter, QWidget* home, QWidget* parent)
    : NotchFormView(presenter, parent),
      m_leading(new NotchSlot(presenter->compactLeadingContent(), home,
                              NotchSection::compactLeading, leadingInsets,
                              NotchTransition::leadingWing(), this)),
      m_trailing(new NotchSlot(presenter->compactTrailingContent(), home,
                               NotchSection::compactTrailing, trailingInsets,
                               NotchTransition::trailingWing(), this)),
      m_expanded(
          new NotchSlot(presenter->expandedContent(), home, NotchSection::expanded,
                        QMargins(safeAreaInset, static_cast<int>(presenter->notchSize().height()),
                                 safeAreaInset, safeAreaInset),
                        NotchTransition::expandedContent(), this)) {
    for (NotchSlot* slot : {m_leading, m_trailing, m_expanded}) {
        connect(slot, &NotchSlot::idealSizeMayHaveChanged, this, [this] {
            if (m_measurePending) {
                return;
            }
            m_measurePending = true;
            QTimer::singleShot(0, this, [this] {
                m_measurePending = false;
                const double leading = m_compactLeadingWidth;
                const double trailing = m_compactTrailingWidth;
                measureWings();
                const bool wingsChanged =
                    leading != m_compactLeadingWidth || trailing != m_compactTrailingWidth;
                refresh(wingsChanged ? std::optional(wingWidthSpring)
                                     : NotchFormView::presenter()->transaction());
                animate();
            });
        });
    }
    measureWings();
    refresh(std::nullopt);
    relayout();
}

void NotchView::measureWings() {
    const auto* p = presenter();
    m_compactLeadingWidth = p->disableCompactLeading() ? 0 : m_leading->idealSize().width();
    m_compactTrailingWidth = p->disableCompactTrailing() ? 0 : m_trailing->idealSize().width();
}

NotchViewMetrics NotchView::targetMetrics() const {
    const auto* p = presenter();
    NotchViewInputs inputs;
    inputs.state = p->state();
    inputs.notchSize = p->notchSize();
    inputs.menubarHeight = p->menubarHeight();
    inputs.isHovering = p->isHovering();
    inputs.configuredStyle = p->style();
    inputs.compactLeadingWidth = m_compactLeadingWidth;
    inputs.compactTrailingWidth = m_compactTrailingWidth;
    const QMargins margins = m_expanded->layout()->contentsMargins();
    inputs.expandedContentSize = QSizeF(m_expanded->idealSize().shrunkBy(margins));
    return NotchViewMetrics::compute(inputs);
}

void NotchView::refresh(const std::optional<Animation>& animation) {
    measureWings();
    const auto* p = presenter();
    const double t = now();
    const NotchViewMetrics target = targetMetrics();
    m_width.setTarget(target.surfaceSize.width(), animation, t);
    m_height.setTarget(target.surfaceSize.height(), animation, t);
    m_xOffset.setTarget(target.xOffset, animation, t);
    m_topRadius.setTarget(target.topCornerRadius, animation, t);
    m_bottomRadius.setTarget(target.bottomCornerRadius, animation, t);
    m_rowHeight.setTarget(target.compactRowHeight, animation, t);
    const bool compact = p->state() == NotchState::compact;
    m_leadingPresence.setTarget(compact && !p->disableCompactLeading() ? 1 : 0, animation, t);
    m_trailingPresence.setTarget(compact && !p->disableCompactTrailing() ? 1 : 0, animation, t);
    m_expandedPresence.setTarget(p->state() == NotchState::expanded ? 1 : 0, animation, t);
}

bool NotchView::advance(double now) {
    bool moving = false;
    for (AnimatedValue* value :
         {&m_width, &m_height, &m_xOffset, &m_topRadius, &m_bottomRadius, &m_rowHeight,
          &m_leadingPresence, &m_trailingPresence, &m_expandedPresence}) {
        moving = value->advance(now) || moving;
    }
    return moving;
}

QRectF NotchView::surfaceRect() const {
    const double width = m_width.value();
    return {this->width() / 2.0 - width / 2 + m_xOffset.value(), 0, width, m_height.value()};
}

NotchShape NotchView::currentShape() const {
    return NotchShape(m_topRadius.value(), m_bottomRadius.value());
}

QPainterPath NotchView::surfacePath() const {
    // Half a point in from each side, so the ears meet the screen edge cleanly.
    return currentShape().path(surfaceRect().adjusted(0.5, 0, -0.5, 0));
}

void NotchView::placeSlot(NotchSlot* slot, AnimatedValue& presence, const QRectF& frame) {
    const bool visible = presence.value() > 0.001 || presence.target() > 0;
    const QRect rounded = frame.toAlignedRect();
    if (slot->geometry() != rounded) {
        slot->setGeometry(rounded);
    }
    slot->transitionEffect()->setPresence(presence.value());
    // At rest the content lies inside the surface; clip only while it moves.
    slot->transitionEffect()->setClipPath(
        isAnimating() ? std::optional(surfacePath().translated(-rounded.topLeft())) : std::nullopt);
    slot->setVisible(visible);
}

void NotchView::relayout() {
    const double notchCentre = width() / 2.0;
    const double notchWidth = presenter()->notchSize().width();
    const double rowHeight = m_rowHeight.value();
    placeSlot(m_leading, m_leadingPresence,
              QRectF(notchCentre - notchWidth / 2 - m_compactLeadingWidth, 0, m_compactLeadingWidth,
                     rowHeight));
    placeSlot(m_trailing, m_trailingPresence,
              QRectF(notchCentre + notchWidth / 2, 0, m_compactTrailingWidth, rowHeight));
    const QSizeF card = targetMetrics().cardSize;
    placeSlot(m_expanded, m_expandedPresence,
              QRectF(notchCentre - card.width() / 2, 0, card.width(), card.height()));
}

void NotchView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(surfacePath(), Qt::black);
}

void NotchView::resizeEvent(QResizeEvent* event) {
    NotchFormView::resizeEvent(event);
    relayout();
    emit surfaceChanged();
}

}  // namespace notchkit
