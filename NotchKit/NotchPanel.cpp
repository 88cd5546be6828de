#include "NotchPanel.h"

#include <QEvent>
#include <QWindow>

#include "NotchContentView.h"
#include "NotchWindowSystem.h"

namespace notchkit {

NotchPanel::NotchPanel(NotchWindowSystem* windowSystem, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::NoDropShadowWindowHint),
      m_windowSystem(windowSystem) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFocusPolicy(Qt::ClickFocus);
    setWindowTitle(QStringLiteral("Notch"));
}

QRect NotchPanel::frameFor(const QRect& screenFrame) {
    const int width = screenFrame.width() / 2;
    const int height = screenFrame.height() / 2;
    const int x = screenFrame.x() + screenFrame.width() / 2 - width / 2;
    return {x, screenFrame.y(), width, height};
}

void NotchPanel::setContentView(NotchContentView* view) {
    delete m_contentView;
    m_contentView = view;
    view->setParent(this);
    view->setGeometry(rect());
    view->show();
    connect(view, &NotchContentView::surfaceChanged, this, &NotchPanel::updateInputRegion);
    view->setCompositing(m_windowSystem->isCompositing());
    connect(m_windowSystem, &NotchWindowSystem::compositingChanged, view,
            &NotchContentView::setCompositing);
    updateInputRegion();
}

void NotchPanel::orderFrontRegardless() {
    if (!m_prepared) {
        // The native window must exist before its properties can be set.
        winId();
        windowHandle()->installEventFilter(this);
        m_windowSystem->preparePanel(this);
        m_prepared = true;
    }
    const bool wasVisible = isVisible();
    show();
    if (!wasVisible) {
        m_windowSystem->panelShown(this);
        // The shape must be set again on the mapped window in case the
        // platform window was recreated.
        m_windowSystem->setSurfaceRegion(this, m_inputRegion);
    }
}

void NotchPanel::setOpacity(double opacity) {
    m_opacity = opacity;
    m_windowSystem->setOpacity(this, opacity);
}

bool NotchPanel::eventFilter(QObject* watched, QEvent* event) {
    // The panel shows without taking focus; a click is the user asking for it.
    if (watched == windowHandle() && event->type() == QEvent::MouseButtonPress &&
        !isActiveWindow()) {
        activateWindow();
    }
    return QWidget::eventFilter(watched, event);
}

void NotchPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_contentView) {
        m_contentView->setGeometry(rect());
    }
}

void NotchPanel::updateInputRegion() {
    QRegion region;
    if (m_contentView) {
        const QPolygonF outline = m_contentView->surfacePath().toFillPolygon();
        region = QRegion(outline.toPolygon(), Qt::WindingFill);
    }
    if (region == m_inputRegion) {
        return;
    }
    m_inputRegion = region;
    if (m_prepared) {
        m_windowSystem->setSurfaceRegion(this, region);
    }
}

}  // namespace notchkit
