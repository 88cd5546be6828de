#pragma once

#include "Halvane/App/Shell/OnboardingStepView.h"

namespace halvane {

class MockNotchDemo;
class OnboardingFlow;
class PulsingLogo;
struct OnboardingTimings;
struct ShellServices;

// Step 1: the logo and a scripted preview of a prompt in the notch.
class WelcomeStepView final : public OnboardingStepView {
    Q_OBJECT

public:
    WelcomeStepView(OnboardingFlow& flow, const ShellServices& services,
                    const OnboardingTimings& timings, QWidget* parent = nullptr);

    MockNotchDemo* demo() const { return m_demo; }
    PulsingLogo* logo() const { return m_logo; }

private:
    PulsingLogo* m_logo;
    MockNotchDemo* m_demo;
};

}  // namespace halvane
