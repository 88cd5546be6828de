#include "Halvane/Notch/Components/NotchCardBackground.h"

#include <QPainter>
#include <QVBoxLayout>

#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

NotchCardBackground::NotchCardBackground(QWidget* content, QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setContent(content);
}

void NotchCardBackground::setContent(QWidget* content) {
    if (content == m_content) {
        return;
    }
    if (m_content) {
        layout()->removeWidget(m_content);
        m_content->hide();
        m_content->deleteLater();
    }
    m_content = content;
    if (m_content) {
        layout()->addWidget(m_content);
    }
}

void NotchCardBackground::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    NotchShapes::fillRoundedRect(painter, QRectF(rect()), kCornerRadius, NotchPalette::cardFill(),
                                 NotchPalette::cardStroke(), kBorderWidth);
}

}  // namespace halvane
