#include "NotchSlot.h"

#include <QEvent>
#include <QHBoxLayout>

#include "NotchEnvironment.h"
#include "NotchTransitionEffect.h"

namespace notchkit {

NotchSlot::NotchSlot(QWidget* content, QWidget* home, NotchSection section, QMargins insets,
                     NotchTransition transition, QWidget* parent)
    : QWidget(parent),
      m_content(content),
      m_home(home),
      m_effect(new NotchTransitionEffect(transition, this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setGraphicsEffect(m_effect);
    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(insets);
    if (m_content) {
        layout->addWidget(m_content);
        m_content->installEventFilter(this);
        m_content->show();
    }
    NotchEnvironment::setNotchSection(this, section);
}

NotchSlot::~NotchSlot() {
    // A newer slot may already have taken the content over.
    if (m_content && m_content->parentWidget() == this) {
        m_content->removeEventFilter(this);
        m_content->hide();
        m_content->setParent(m_home);
    }
}

QSize NotchSlot::idealSize() const {
    const QMargins margins = layout()->contentsMargins();
    if (!m_content) {
        return QSize(0, 0).grownBy(margins);
    }
    // As a layout would size it: its hint within its minimum and maximum.
    const QSize content = m_content->sizeHint()
                              .expandedTo(m_content->minimumSizeHint())
                              .expandedTo(m_content->minimumSize())
                              .boundedTo(m_content->maximumSize())
                              .expandedTo(QSize(0, 0));
    return content.grownBy(margins);
}

bool NotchSlot::event(QEvent* event) {
    if (event->type() == QEvent::LayoutRequest) {
        emit idealSizeMayHaveChanged();
    }
    return QWidget::event(event);
}

bool NotchSlot::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_content &&
        (event->type() == QEvent::LayoutRequest || event->type() == QEvent::FontChange)) {
        emit idealSizeMayHaveChanged();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace notchkit
