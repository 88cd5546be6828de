#include "NotchWindowController.h"

#include "NotchPanel.h"

namespace notchkit {

NotchWindowController::NotchWindowController(NotchPanel* panel) : m_panel(panel) {
    connect(&m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        if (m_panel) {
            m_panel->setOpacity(value.toDouble());
        }
    });
    connect(&m_fade, &QVariantAnimation::finished, this, [this] { m_fadeDone.resolve(); });
}

NotchWindowController::~NotchWindowController() {
    m_fade.stop();
    m_fadeDone.resolve();
    if (m_panel) {
        // Later, not now: the request that replaces the window may come from a
        // click inside it.
        m_panel->hide();
        m_panel->deleteLater();
    }
}

void NotchWindowController::fade(double to, QEasingCurve curve,
                                 std::chrono::milliseconds duration) {
    m_fade.stop();
    // A fade that is replaced counts as done for whoever waited on it.
    m_fadeDone.resolve();
    m_fadeDone = NotchCompletion::pending();
    m_fade.setStartValue(m_panel->opacity());
    m_fade.setEndValue(to);
    m_fade.setEasingCurve(curve);
    m_fade.setDuration(static_cast<int>(duration.count()));
    m_fade.start();
}

void NotchWindowController::showWindow(std::chrono::milliseconds duration) {
    if (!m_panel) {
        return;
    }
    m_panel->setOpacity(0);
    m_panel->orderFrontRegardless();
    fade(1, QEasingCurve::OutQuad, duration);
}

NotchCompletion NotchWindowController::fadeOutWindow(std::chrono::milliseconds duration) {
    if (!m_panel) {
        return NotchCompletion::finished();
    }
    fade(0, QEasingCurve::InQuad, duration);
    return m_fadeDone;
}

}  // namespace notchkit
