#include "NotchFormView.h"

#include <QMouseEvent>
#include <QPalette>

#include "NotchPresenter.h"

namespace notchkit {

namespace {
// Hover changes animate with their own spring, whatever else is changing.
const Animation hoverSpring = Animation::spring(0.4, 0.85);
}  // namespace

NotchFormView::NotchFormView(NotchPresenter* presenter, QWidget* parent)
    : QWidget(parent), m_presenter(presenter) {
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    // The notch and the floating card are dark whatever the desktop's theme:
    // content on them draws in white.
    QPalette white = palette();
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        white.setColor(role, Qt::white);
    }
    setPalette(white);
    connect(&m_driver, &AnimationDriver::tick, this, &NotchFormView::onTick);
    connect(presenter, &NotchPresenter::stateChanged, this, &NotchFormView::refreshWithTransaction);
    connect(presenter, &NotchPresenter::notchSizeChanged, this,
            &NotchFormView::refreshWithTransaction);
    connect(presenter, &NotchPresenter::menubarHeightChanged, this,
            &NotchFormView::refreshWithTransaction);
    connect(presenter, &NotchPresenter::disableCompactLeadingChanged, this,
            &NotchFormView::refreshWithTransaction);
    connect(presenter, &NotchPresenter::disableCompactTrailingChanged, this,
            &NotchFormView::refreshWithTransaction);
    connect(presenter, &NotchPresenter::isHoveringChanged, this,
            &NotchFormView::refreshWithHoverSpring);
}

void NotchFormView::refreshWithTransaction() {
    refresh(m_presenter->transaction());
    animate();
}

void NotchFormView::refreshWithHoverSpring() {
    refresh(hoverSpring);
    animate();
}

void NotchFormView::animate() {
    if (advance(m_driver.now())) {
        m_driver.start();
    } else {
        m_driver.stop();
    }
    relayout();
    update();
    emit surfaceChanged();
}

void NotchFormView::onTick(double now) {
    if (!advance(now)) {
        m_driver.stop();
    }
    relayout();
    update();
    emit surfaceChanged();
}

void NotchFormView::mouseMoveEvent(QMouseEvent* event) {
    m_presenter->updateHoverState(surfacePath().contains(event->position()));
    QWidget::mouseMoveEvent(event);
}

// The surface can also grow under a pointer that rests: that arrives as an
// enter without any move, and counts just the same.
void NotchFormView::enterEvent(QEnterEvent* event) {
    m_presenter->updateHoverState(surfacePath().contains(event->position()));
    QWidget::enterEvent(event);
}

void NotchFormView::leaveEvent(QEvent* event) {
    m_presenter->updateHoverState(false);
    QWidget::leaveEvent(event);
}

}  // namespace notchkit
