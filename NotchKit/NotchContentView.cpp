#include "NotchContentView.h"

#include <QPainter>

#include <atomic>
#include <cmath>

#include "ImageBlur.h"
#include "NotchEnvironment.h"
#include "NotchPresenter.h"
#include "NotchView.h"
#include "NotchlessView.h"

namespace notchkit {

namespace {
const Animation hoverSpring = Animation::spring(0.4, 0.85);
}  // namespace

NotchContentView::NotchContentView(NotchPresenter* presenter, NotchStyle style, QWidget* home,
                                   QWidget* parent)
    : QWidget(parent), m_presenter(presenter), m_style(style) {
    setAttribute(Qt::WA_TranslucentBackground);
    NotchEnvironment::setNotchStyle(this, style);
    if (style.isNotch()) {
        m_form = new NotchView(presenter, home, this);
    } else {
        m_form = new NotchlessView(presenter, home, this);
    }
    m_form->setGeometry(rect());
    connect(m_form, &NotchFormView::surfaceChanged, this, [this] {
        update();
        emit surfaceChanged();
    });
    connect(&m_driver, &AnimationDriver::tick, this, &NotchContentView::onTick);
    connect(presenter, &NotchPresenter::stateChanged, this,
            [this] { refreshShadow(m_presenter->transaction()); });
    connect(presenter, &NotchPresenter::isHoveringChanged, this,
            [this] { refreshShadow(hoverSpring); });
    refreshShadow(std::nullopt);
}

NotchShadow NotchContentView::targetShadow() const {
    return NotchShadow::compute(m_presenter->hoverBehavior(), m_presenter->isHovering(),
                                m_presenter->state());
}

NotchShadow NotchContentView::currentShadow() const {
    return {m_shadowOpacity.value(), m_shadowRadius.value()};
}

QPainterPath NotchContentView::surfacePath() const {
    return m_form->surfacePath().translated(m_form->pos());
}

void NotchContentView::setCompositing(bool compositing) {
    if (compositing != m_compositing) {
        m_compositing = compositing;
        m_form->setCompositing(compositing);
        update();
    }
}

bool NotchContentView::isAnimating() const {
    return m_driver.isRunning() || m_form->isAnimating();
}

void NotchContentView::refreshShadow(const std::optional<Animation>& animation) {
    const NotchShadow target = targetShadow();
    const double t = m_driver.now();
    m_shadowOpacity.setTarget(target.opacity, animation, t);
    m_shadowRadius.setTarget(target.radius, animation, t);
    onTick(t);
    if (m_shadowOpacity.isAnimating() || m_shadowRadius.isAnimating()) {
        m_driver.start();
    }
}

void NotchContentView::onTick(double now) {
    const bool moving = m_shadowOpacity.advance(now) | m_shadowRadius.advance(now);
    if (!moving) {
        m_driver.stop();
    }
    update();
}

void NotchContentView::paintEvent(QPaintEvent*) {
    const double opacity = m_shadowOpacity.value();
    const double radius = m_shadowRadius.value();
    if (opacity <= 0.001 || radius <= 0.01 || !m_compositing) {
        return;
    }
    const QPainterPath path = surfacePath();
    if (path.isEmpty()) {
        return;
    }
    const double dpr = devicePixelRatioF();
    if (path != m_shadowPath || std::abs(radius - m_shadowImageRadius) > 0.01) {
        const double spread = std::ceil(radius * 1.5);
        const QRectF area = path.boundingRect().adjusted(-spread, -spread, spread, spread);
        QImage image((area.size() * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter shape(&image);
            shape.setRenderHint(QPainter::Antialiasing);
            shape.scale(dpr, dpr);
            shape.translate(-area.topLeft());
            shape.fillPath(path, Qt::black);
        }
        ImageBlur::blur(image, radius * dpr);
        image.setDevicePixelRatio(dpr);
        m_shadowImage = image;
        m_shadowPath = path;
        m_shadowImageRadius = radius;
        m_shadowOrigin = area.topLeft();
    }
    QPainter painter(this);
    painter.setOpacity(opacity);
    painter.drawImage(m_shadowOrigin, m_shadowImage);
}

void NotchContentView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_form->setGeometry(rect());
}

void NotchContentView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_presenter->animationNamespace()) {
        static std::atomic<quint64> next{1};
        m_presenter->setAnimationNamespace(next++);
    }
}

}  // namespace notchkit
