#include "Halvane/App/Shell/HooksStepView.h"

#include "Halvane/App/Shell/HooksPreviewCard.h"
#include "Halvane/App/Shell/OnboardingButton.h"
#include "Halvane/App/Shell/OnboardingFeedback.h"
#include "Halvane/App/Shell/OnboardingFlow.h"
#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Sessions/HooksInstaller.h"

namespace halvane {

HooksStepView::HooksStepView(OnboardingFlow& flow, OnboardingFeedback& feedback,
                             std::chrono::milliseconds advanceAfterInstall, QWidget* parent)
    : OnboardingStepView(parent),
      m_flow(flow),
      m_feedback(feedback),
      m_advanceAfterInstall(advanceAfterInstall),
      m_preview(new HooksPreviewCard) {
    setHero(m_preview);
    setTitle(QStringLiteral("Connect to Claude Code"));
    setSubtitle(
        QStringLiteral("Halvane needs to register a tiny hook so Claude can ping the notch when "
                       "it wants your attention."));
    setSecondary(QStringLiteral("Back"));
    updateButton();
    connect(primaryButton(), &OnboardingButton::clicked, this, [this] {
        // Between "Installed ✓" and the move on, a second press would skip a step.
        if (m_advance.isActive()) {
            return;
        }
        if (m_flow.hooksInstalled()) {
            m_flow.advance();
        } else {
            install();
        }
    });
    connect(secondaryControl(), &OnboardingButton::clicked, &flow, &OnboardingFlow::goBack);
    connect(&flow, &OnboardingFlow::statusChanged, this, &HooksStepView::updateButton);
}

void HooksStepView::stepShown() {
    // Each visit starts fresh, as a step seen anew.
    m_justInstalled = false;
    m_preview->refresh();
    updateButton();
}

void HooksStepView::stepHidden() {
    m_advance.cancel();
}

void HooksStepView::install() {
    const std::string result = HooksInstaller::installIfNeeded();
    log::system("Onboarding install: " + result);
    m_flow.refreshStatus();
    m_feedback.success();
    m_justInstalled = true;
    updateButton();
    // Whatever the installer said, the step moves on: a failure shows as the
    // hooks still missing in Settings, and the log line says why.
    m_advance.start(m_advanceAfterInstall, [this] { m_flow.advance(); });
}

void HooksStepView::updateButton() {
    if (m_justInstalled) {
        setPrimary(QStringLiteral("Installed \u2713"));
    } else if (m_flow.hooksInstalled()) {
        setPrimary(QStringLiteral("Already installed \u2014 Continue"));
    } else {
        setPrimary(QStringLiteral("Install hooks"));
    }
}

}  // namespace halvane
