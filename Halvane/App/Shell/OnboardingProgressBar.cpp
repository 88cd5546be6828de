#include "Halvane/App/Shell/OnboardingProgressBar.h"

#include <QPainter>

#include <algorithm>

#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

OnboardingProgressBar::OnboardingProgressBar(int current, int total, QWidget* parent)
    : QWidget(parent), m_current(current), m_total(std::max(total, 1)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void OnboardingProgressBar::setCurrent(int current) {
    current = std::clamp(current, 0, m_total);
    if (current != m_current) {
        m_current = current;
        update();
    }
}

QSize OnboardingProgressBar::sizeHint() const {
    return QSize(m_total * kSegmentWidth + (m_total - 1) * kSpacing, kSegmentHeight);
}

void OnboardingProgressBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal left = (width() - sizeHint().width()) / 2.0;
    for (int index = 0; index < m_total; ++index) {
        const QRectF segment(left + index * (kSegmentWidth + kSpacing),
                             (height() - kSegmentHeight) / 2.0, kSegmentWidth, kSegmentHeight);
        const QColor fill =
            index < m_current ? NotchPalette::accent() : QColor::fromRgbF(1, 1, 1, 0.12f);
        NotchShapes::fillCapsule(painter, segment, fill);
    }
}

}  // namespace halvane
