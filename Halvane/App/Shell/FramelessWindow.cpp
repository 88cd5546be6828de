#include "Halvane/App/Shell/FramelessWindow.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace halvane {

FramelessWindow::FramelessWindow(QWidget* content, QSize size, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_content(content) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(size);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_content);
}

QScreen* FramelessWindow::activeScreen() {
    if (auto* screen = QGuiApplication::screenAt(QCursor::pos())) {
        return screen;
    }
    if (auto* screen = QGuiApplication::primaryScreen()) {
        return screen;
    }
    const auto screens = QGuiApplication::screens();
    return screens.isEmpty() ? nullptr : screens.first();
}

void FramelessWindow::centreOnActiveScreen() {
    const QScreen* screen = activeScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect visible = screen->availableGeometry();
    move(visible.x() + (visible.width() - width()) / 2,
         visible.y() + (visible.height() - height()) / 2);
}

void FramelessWindow::present() {
    show();
    raise();
    activateWindow();
    // Keys go to the content, which knows what Return and Escape mean there.
    if (m_content->focusPolicy() != Qt::NoFocus) {
        m_content->setFocus(Qt::ActiveWindowFocusReason);
    } else {
        setFocus(Qt::ActiveWindowFocusReason);
    }
}

void FramelessWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The window manager moves the window when it can: smoother, and it
    // knows about screen edges and other windows.
    if (auto* handle = windowHandle(); handle != nullptr && handle->startSystemMove()) {
        event->accept();
        return;
    }
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    event->accept();
}

void FramelessWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragOffset && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - *m_dragOffset);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void FramelessWindow::mouseReleaseEvent(QMouseEvent* event) {
    m_dragOffset.reset();
    QWidget::mouseReleaseEvent(event);
}

}  // namespace halvane
