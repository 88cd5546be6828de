#include "CompactLabelView.h"

#include <QPainter>

#include "NotchInfo.h"
#include "NotchInfoLabelView.h"
#include "NotchTransition.h"

namespace notchkit {

namespace {
const Animation labelSpring = Animation::spring(0.4, 0.85);
}  // namespace

CompactLabelView::CompactLabelView(NotchInfo* info, QWidget* parent)
    : QWidget(parent), m_info(info) {
    setAttribute(Qt::WA_TranslucentBackground);
    connect(info, &NotchInfo::changed, this, &CompactLabelView::refresh);
    connect(&m_driver, &AnimationDriver::tick, this, &CompactLabelView::onTick);
}

QSize CompactLabelView::sizeHint() const {
    return m_current != nullptr ? m_current->sizeHint() : QSize(0, 0);
}

QRect CompactLabelView::labelFrame(QSize hint) const {
    const QSize size = hint.boundedTo(this->size());
    return {QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size};
}

QImage CompactLabelView::picture(QWidget* label) {
    return label->grab().toImage();
}

void CompactLabelView::refresh() {
    const auto label = currentLabel();
    const std::optional<quint64> id = label ? std::optional(label->id()) : std::nullopt;
    if (id == m_labelId) {
        return;
    }
    // Only a label that replaces one on screen is animated.
    const bool animated = m_labelId.has_value() && isVisible();
    m_labelId = id;
    m_leaving = QImage();
    if (m_current != nullptr) {
        if (animated) {
            m_leavingFrame = m_current->geometry();
            m_leaving = picture(m_current);
        }
        delete m_current;
        m_current = nullptr;
    }
    m_entering = QImage();
    if (label) {
        m_current = new NotchInfoLabelView(*label, this);
        m_current->setGeometry(labelFrame(m_current->sizeHint()));
        if (animated) {
            m_entering = picture(m_current);
            m_current->hide();
        } else {
            m_current->show();
        }
    }
    updateGeometry();
    const double t = m_driver.now();
    m_enteringPresence.reset(animated ? 0 : 1);
    m_enteringPresence.setTarget(1, labelSpring, t);
    m_leavingPresence.reset(m_leaving.isNull() ? 0 : 1);
    m_leavingPresence.setTarget(0, labelSpring, t);
    if (animated) {
        m_driver.start();
    }
    update();
}

void CompactLabelView::onTick(double now) {
    const bool moving = m_enteringPresence.advance(now) | m_leavingPresence.advance(now);
    if (!moving) {
        m_driver.stop();
        m_entering = QImage();
        m_leaving = QImage();
        if (m_current != nullptr) {
            m_current->show();
        }
    }
    update();
}

void CompactLabelView::paintEvent(QPaintEvent*) {
    if (m_entering.isNull() && m_leaving.isNull()) {
        return;
    }
    QPainter painter(this);
    const NotchTransition transition = NotchTransition::infoLabel();
    if (!m_leaving.isNull()) {
        transition.paint(painter, m_leaving, m_leavingFrame.topLeft(), QRectF(m_leavingFrame),
                         m_leavingPresence.value());
    }
    if (!m_entering.isNull() && m_current != nullptr) {
        const QRect frame = m_current->geometry();
        transition.paint(painter, m_entering, frame.topLeft(), QRectF(frame),
                         m_enteringPresence.value());
    }
}

void CompactLabelView::resizeEvent(QResizeEvent*) {
    if (m_current != nullptr) {
        m_current->setGeometry(labelFrame(m_current->sizeHint()));
    }
}

}  // namespace notchkit
