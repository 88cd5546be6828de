#include "NotchInfoLabelView.h"

#include <QPainter>

#include "NotchEnvironment.h"
#include "NotchIcon.h"
#include "NotchProgressRing.h"

namespace notchkit {

namespace {
// A label fills the height of a wing's content; in the card it is a larger icon.
constexpr int compactSide = 20;
constexpr int expandedSide = 36;
}  // namespace

NotchInfoLabelView::NotchInfoLabelView(NotchInfoLabel label, QWidget* parent)
    : QWidget(parent), m_label(std::move(label)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    switch (m_label.iconStyle()) {
        case NotchInfoLabel::Style::progress:
            m_ring = new NotchProgressRing(m_label.progressValue(), m_label.color(), this);
            if (m_label.view()) {
                m_child = m_label.view()();
                if (m_child != nullptr) {
                    m_child->setParent(this);
                }
            }
            break;
        case NotchInfoLabel::Style::customView:
            if (m_label.view()) {
                m_child = m_label.view()();
                if (m_child != nullptr) {
                    m_child->setParent(this);
                }
            }
            break;
        case NotchInfoLabel::Style::image:
        case NotchInfoLabel::Style::icon:
            break;
    }
}

double NotchInfoLabelView::padding() const {
    return m_label.iconStyle() == NotchInfoLabel::Style::progress ? 4 : 2;
}

QColor NotchInfoLabelView::foreground() const {
    if (m_label.color()) {
        return *m_label.color();
    }
    if (NotchEnvironment::notchStyle(this).isNotch()) {
        return Qt::white;
    }
    return palette().color(QPalette::WindowText);
}

QSize NotchInfoLabelView::sizeHint() const {
    if (m_label.iconStyle() == NotchInfoLabel::Style::customView && m_child != nullptr) {
        return m_child->sizeHint();
    }
    const bool expanded = NotchEnvironment::notchSection(this) == NotchSection::expanded;
    const int side = expanded ? expandedSide : compactSide;
    return {side, side};
}

bool NotchInfoLabelView::event(QEvent* event) {
    if (event->type() == NotchEnvironment::changeEventType()) {
        // The section decides the size.
        updateGeometry();
    }
    return QWidget::event(event);
}

void NotchInfoLabelView::resizeEvent(QResizeEvent*) {
    const int inset = static_cast<int>(padding());
    const QRect inner = rect().adjusted(inset, inset, -inset, -inset);
    if (m_ring != nullptr) {
        m_ring->setGeometry(inner);
    }
    if (m_child != nullptr) {
        m_child->setGeometry(m_label.iconStyle() == NotchInfoLabel::Style::customView ? rect()
                                                                                      : inner);
    }
}

void NotchInfoLabelView::paintEvent(QPaintEvent*) {
    const double inset = padding();
    const QRectF inner = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    switch (m_label.iconStyle()) {
        case NotchInfoLabel::Style::image: {
            const QImage& image = m_label.image();
            if (image.isNull()) {
                return;
            }
            const QSizeF fitted = QSizeF(image.size()).scaled(inner.size(), Qt::KeepAspectRatio);
            const QRectF target(inner.center() - QPointF(fitted.width() / 2, fitted.height() / 2),
                                fitted);
            painter.drawImage(target, image);
            return;
        }
        case NotchInfoLabel::Style::icon:
            NotchIcon::draw(painter, m_label.iconName(), inner, foreground());
            return;
        case NotchInfoLabel::Style::progress:
        case NotchInfoLabel::Style::customView:
            return;
    }
}

}  // namespace notchkit
