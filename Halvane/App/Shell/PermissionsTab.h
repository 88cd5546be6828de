#pragma once

#include <QWidget>

#include <chrono>

class QTimer;

namespace halvane {

class AccessibilityRow;
class OnboardingFeedback;
struct ShellServices;

// Whether Halvane may bring terminal windows forward, re-checked while shown.
class PermissionsTab final : public QWidget {
    Q_OBJECT

public:
    PermissionsTab(const ShellServices& services, OnboardingFeedback& feedback,
                   std::chrono::milliseconds pollInterval, QWidget* parent = nullptr);

    AccessibilityRow* row() const { return m_row; }
    bool accessibilityGranted() const { return m_granted; }
    bool polling() const;

    void refresh();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    const ShellServices& m_services;
    OnboardingFeedback& m_feedback;
    bool m_granted;
    AccessibilityRow* m_row;
    QTimer* m_poll;
};

}  // namespace halvane
