#pragma once

#include <QWidget>

#include <array>

#include "Halvane/App/Shell/OnboardingFeedback.h"
#include "Halvane/App/Shell/OnboardingFlow.h"
#include "Halvane/App/Shell/OnboardingTimings.h"
#include "Halvane/App/Shell/ShellServices.h"

class QTimer;
class QVariantAnimation;

namespace halvane {

class OnboardingProgressBar;
class OnboardingStepView;

// The onboarding window's content: the progress bar and the current step
// over a slowly turning glow. Steps slide in with a spring as the flow moves.
class OnboardingView final : public QWidget {
    Q_OBJECT

public:
    static constexpr double kSpringResponse = 0.45;
    static constexpr double kSpringDamping = 0.78;

    OnboardingView(OnboardingFlow& flow, ShellServices services, OnboardingTimings timings,
                   QWidget* parent = nullptr);
    ~OnboardingView() override;

    OnboardingFlow& flow() const { return m_flow; }
    OnboardingStepView* stepView(OnboardingFlow::Step step) const;
    OnboardingStepView* currentStepView() const;
    OnboardingProgressBar* progressBar() const { return m_progress; }
    bool transitioning() const;
    // The background's turn, in degrees.
    qreal rotation() const { return m_rotation; }

signals:
    // The last step is done: onboarding should close.
    void finished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void stepChanged();
    void placeSteps(qreal progress);
    QRect stepArea() const;

    OnboardingFlow& m_flow;
    ShellServices m_services;
    OnboardingTimings m_timings;
    OnboardingFeedback m_feedback;
    OnboardingProgressBar* m_progress;
    std::array<OnboardingStepView*, OnboardingFlow::kStepCount> m_steps{};
    OnboardingFlow::Step m_current;
    OnboardingFlow::Step m_previous;
    QVariantAnimation* m_transition;
    qreal m_rotation = 0;
    QTimer* m_backgroundFrames;
};

}  // namespace halvane
