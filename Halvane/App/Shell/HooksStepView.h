#pragma once

#include <chrono>

#include "Halvane/App/Shell/OnboardingStepView.h"
#include "Halvane/Sessions/DelayedTask.h"

class QLabel;

namespace halvane {

class HooksPreviewCard;
class OnboardingButton;
class OnboardingFeedback;
class OnboardingFlow;

// Step 2: what the hooks change, and the button that installs them. A failed
// install says why in place of the tick, offers another try, and still lets
// the user go on without the hooks.
class HooksStepView final : public OnboardingStepView {
    Q_OBJECT

public:
    HooksStepView(OnboardingFlow& flow, OnboardingFeedback& feedback,
                  std::chrono::milliseconds advanceAfterInstall, QWidget* parent = nullptr);

    bool justInstalled() const { return m_justInstalled; }
    HooksPreviewCard* preview() const { return m_preview; }
    // Why the last install failed, as shown; empty when it did not.
    QString failureText() const;
    // "Continue anyway", shown with a failure.
    OnboardingButton* continueButton() const { return m_continue; }

    void stepShown() override;
    void stepHidden() override;

private:
    void install();
    void showFailure(const QString& failure);
    void updateButton();

    OnboardingFlow& m_flow;
    OnboardingFeedback& m_feedback;
    std::chrono::milliseconds m_advanceAfterInstall;
    HooksPreviewCard* m_preview;
    QLabel* m_failure;
    OnboardingButton* m_continue;
    bool m_justInstalled = false;
    DelayedTask m_advance{this};
};

}  // namespace halvane
