#pragma once

#include "Halvane/App/Shell/OnboardingStepView.h"
#include "Halvane/App/Shell/OnboardingTimings.h"
#include "Halvane/Sessions/DelayedTask.h"

class QLabel;

namespace halvane {

class ConfettiView;
class MockNotchBanner;
class OnboardingFeedback;
class OnboardingFlow;

// Step 4: waits for a real Claude Code session, then celebrates it.
class DemoStepView final : public OnboardingStepView {
    Q_OBJECT

public:
    DemoStepView(OnboardingFlow& flow, OnboardingFeedback& feedback,
                 const OnboardingTimings& timings, QWidget* parent = nullptr);

    bool detected() const { return m_detected; }
    bool pulse() const { return m_pulse; }
    int confettiTrigger() const { return m_confettiTrigger; }
    ConfettiView* confetti() const { return m_confetti; }
    QString summary() const;

    void stepShown() override;
    void stepHidden() override;

    // "1 session detected", "2 sessions detected".
    static QString summaryText(std::size_t sessions);

signals:
    // The user is done; "onboarding.completed" is set by then.
    void finished();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void triggerDetection();
    void sessionsChanged();
    void apply();

    OnboardingFlow& m_flow;
    OnboardingFeedback& m_feedback;
    OnboardingTimings m_timings;
    bool m_shown = false;
    bool m_detected = false;
    bool m_pulse = false;
    int m_confettiTrigger = 0;
    std::size_t m_sessionCount = 0;
    MockNotchBanner* m_banner;
    QWidget* m_waitingHelp;
    QWidget* m_summaryRow;
    QLabel* m_summary;
    ConfettiView* m_confetti;
    DelayedTask m_detectExisting{this};
    DelayedTask m_secondBurst{this};
};

}  // namespace halvane
