#include "QtNotchWindowSystem.h"

#include <QWidget>
#include <QWindow>

namespace notchkit {

void QtNotchWindowSystem::preparePanel(QWidget*) {}

void QtNotchWindowSystem::panelShown(QWidget* panel) {
    if (!m_headless) {
        panel->raise();
    }
}

void QtNotchWindowSystem::setOpacity(QWidget* panel, double opacity) {
    if (!m_headless) {
        panel->setWindowOpacity(opacity);
    }
}

void QtNotchWindowSystem::setSurfaceRegion(QWidget* panel, const QRegion& region) {
    // The platform window's mask, not QWidget::setMask: the latter would also
    // clip the painting of the shadow and the antialiased edge.
    if (QWindow* window = panel->windowHandle(); window != nullptr && !m_headless) {
        window->setMask(region);
    }
}

}  // namespace notchkit
