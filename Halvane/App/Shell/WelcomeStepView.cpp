#include "Halvane/App/Shell/WelcomeStepView.h"

#include <QVBoxLayout>

#include "Halvane/App/Shell/MockNotchDemo.h"
#include "Halvane/App/Shell/OnboardingButton.h"
#include "Halvane/App/Shell/OnboardingFlow.h"
#include "Halvane/App/Shell/OnboardingTimings.h"
#include "Halvane/App/Shell/PulsingLogo.h"
#include "Halvane/App/Shell/ShellLook.h"

namespace halvane {

namespace {

constexpr qreal kLogoSize = 52;

}  // namespace

WelcomeStepView::WelcomeStepView(OnboardingFlow& flow, const ShellServices& services,
                                 const OnboardingTimings& timings, QWidget* parent)
    : OnboardingStepView(parent) {
    auto* hero = new QWidget;
    hero->setAttribute(Qt::WA_TranslucentBackground);
    auto* column = new QVBoxLayout(hero);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    m_logo = new PulsingLogo(ShellLook::logo(services, kLogoSize, nullptr), kLogoSize, hero);
    m_demo = new MockNotchDemo(MockNotchDemo::welcomeLines(),
                               {timings.demoStart, timings.demoLine, timings.demoHold}, hero);
    column->addWidget(m_logo, 0, Qt::AlignHCenter);
    column->addWidget(m_demo, 0, Qt::AlignHCenter);
    setHero(hero);

    setTitle(QStringLiteral("Welcome to Halvane"));
    setSubtitle(QStringLiteral("Claude Code, right at the top of your screen."));
    setPrimary(QStringLiteral("Get started"));
    connect(primaryButton(), &OnboardingButton::clicked, &flow, &OnboardingFlow::advance);
}

}  // namespace halvane
