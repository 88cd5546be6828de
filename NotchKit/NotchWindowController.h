#pragma once

#include <QObject>
#include <QPointer>
#include <QVariantAnimation>

#include <chrono>

#include "NotchCompletion.h"

namespace notchkit {

class NotchPanel;

// Owns one panel: fades it in and out and closes it for good when dropped.
class NotchWindowController final : public QObject {
    Q_OBJECT

public:
    explicit NotchWindowController(NotchPanel* panel);
    ~NotchWindowController() override;

    NotchPanel* window() const { return m_panel; }

    // Alpha 0 -> 1 with an ease-out curve, ordered front without activation.
    void showWindow(std::chrono::milliseconds duration);
    // Alpha -> 0 with an ease-in curve; finishes when the fade has.
    NotchCompletion fadeOutWindow(std::chrono::milliseconds duration);

private:
    void fade(double to, QEasingCurve curve, std::chrono::milliseconds duration);

    QPointer<NotchPanel> m_panel;
    QVariantAnimation m_fade;
    NotchCompletion m_fadeDone = NotchCompletion::finished();
};

}  // namespace notchkit
