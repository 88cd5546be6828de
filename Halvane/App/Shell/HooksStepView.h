#pragma once

#include <chrono>

#include "Halvane/App/Shell/OnboardingStepView.h"
#include "Halvane/Sessions/DelayedTask.h"

namespace halvane {

class HooksPreviewCard;
class OnboardingFeedback;
class OnboardingFlow;

// Step 2: what the hooks change, and the button that installs them.
class HooksStepView final : public OnboardingStepView {
    Q_OBJECT

public:
    HooksStepView(OnboardingFlow& flow, OnboardingFeedback& feedback,
                  std::chrono::milliseconds advanceAfterInstall, QWidget* parent = nullptr);

    bool justInstalled() const { return m_justInstalled; }
    HooksPreviewCard* preview() const { return m_preview; }

    void stepShown() override;
    void stepHidden() override;

private:
    void install();
    void updateButton();

    OnboardingFlow& m_flow;
    OnboardingFeedback& m_feedback;
    std::chrono::milliseconds m_advanceAfterInstall;
    HooksPreviewCard* m_preview;
    bool m_justInstalled = false;
    DelayedTask m_advance{this};
};

}  // namespace halvane
