#pragma once

#include <QPoint>
#include <QSize>
#include <QWidget>

#include <optional>

class QScreen;

namespace halvane {

// The top-level window of Halvane's own panels (onboarding, settings): no
// frame and a see-through background for the content's rounded corners, yet
// it takes the keyboard focus like any window, and dragging any part of its
// background moves it.
class FramelessWindow final : public QWidget {
    Q_OBJECT

public:
    // Takes ownership of `content`, which fills the window.
    FramelessWindow(QWidget* content, QSize size, QWidget* parent = nullptr);

    QWidget* content() const { return m_content; }

    // Centres the window on the visible area of the screen under the pointer,
    // else the primary screen, else the first one; with no screen it stays.
    void centreOnActiveScreen();
    // Shows the window in front and gives it the keyboard focus.
    void present();

    // The screen a new panel opens on.
    static QScreen* activeScreen();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QWidget* m_content;
    // Where the pointer grabbed the window, while it is moved by hand.
    std::optional<QPoint> m_dragOffset;
};

}  // namespace halvane
