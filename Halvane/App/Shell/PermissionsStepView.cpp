#include "Halvane/App/Shell/PermissionsStepView.h"

#include <QVBoxLayout>

#include "Halvane/App/Shell/AccessibilityRow.h"
#include "Halvane/App/Shell/AutostartEntry.h"
#include "Halvane/App/Shell/OnboardingButton.h"
#include "Halvane/App/Shell/OnboardingFlow.h"
#include "Halvane/App/Shell/ShellServices.h"
#include "Halvane/App/Shell/ToggleSwitch.h"
#include "Halvane/Notch/Components/SettingRow.h"
#include "Halvane/Platform/AccessibilitySettings.h"
#include "Halvane/Sessions/Preferences.h"

namespace halvane {

namespace {

constexpr int kRowsWidth = 560;

}  // namespace

PermissionsStepView::PermissionsStepView(OnboardingFlow& flow, const ShellServices& services,
                                         QWidget* parent)
    : OnboardingStepView(parent), m_flow(flow), m_services(services) {
    auto* hero = new QWidget;
    hero->setAttribute(Qt::WA_TranslucentBackground);
    hero->setFixedWidth(kRowsWidth);
    auto* rows = new QVBoxLayout(hero);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(8);

    m_accessibility = new AccessibilityRow(hero);
    m_loginSwitch = new ToggleSwitch(flow.autostartInstalled());
    m_login = new SettingRow(Icon::power, QStringLiteral("Start at login"),
                             QStringLiteral("Always have Halvane running, ready to react."),
                             flow.autostartInstalled(), m_loginSwitch, hero);
    const bool sounds = services.preferences.soundsEnabled();
    m_soundsSwitch = new ToggleSwitch(sounds);
    m_sounds = new SettingRow(
        Icon::speaker, QStringLiteral("8-bit sounds"),
        QStringLiteral("Play a short chime when Claude finishes a task or asks for permission."),
        sounds, m_soundsSwitch, hero);
    rows->addWidget(m_accessibility);
    rows->addWidget(m_login);
    rows->addWidget(m_sounds);
    rows->addStretch(1);
    setHero(hero);

    setTitle(QStringLiteral("Permissions & preferences"));
    setSubtitle(
        QStringLiteral("Grant access so Halvane can jump back to your terminal \u2014 and pick how "
                       "it should behave."));
    setSecondary(QStringLiteral("Back"));

    connect(m_accessibility, &AccessibilityRow::openSettingsRequested, this,
            [this] { m_services.accessibilitySettings.open(); });
    connect(m_accessibility, &AccessibilityRow::restartRequested, this,
            &PermissionsStepView::restart);
    connect(m_loginSwitch, &ToggleSwitch::clicked, this, [this](bool on) {
        if (on) {
            AutostartEntry::install();
        } else {
            AutostartEntry::uninstall();
        }
        m_flow.refreshStatus();
        // The file decides, so a failed install puts the switch back.
        refreshRows();
    });
    connect(m_soundsSwitch, &ToggleSwitch::clicked, this, [this](bool on) {
        m_services.preferences.setSoundsEnabled(on);
        m_sounds->setStatusOn(on);
    });
    connect(primaryButton(), &OnboardingButton::clicked, &flow, &OnboardingFlow::advance);
    connect(secondaryControl(), &OnboardingButton::clicked, &flow, &OnboardingFlow::goBack);
    connect(&flow, &OnboardingFlow::statusChanged, this, &PermissionsStepView::refreshRows);
    refreshRows();
}

void PermissionsStepView::stepShown() {
    const bool sounds = m_services.preferences.soundsEnabled();
    m_soundsSwitch->setChecked(sounds);
    m_sounds->setStatusOn(sounds);
    refreshRows();
}

void PermissionsStepView::refreshRows() {
    const bool granted = m_flow.accessibilityGranted();
    const bool atStart = m_flow.startedWithAccessibility();
    m_accessibility->setState(granted, atStart);
    m_loginSwitch->setChecked(m_flow.autostartInstalled());
    m_login->setStatusOn(m_flow.autostartInstalled());
    setHint(granted ? QStringLiteral("Restart Halvane to continue")
                    : QStringLiteral("Grant Accessibility access to continue"));
    setPrimary(QStringLiteral("Continue"), granted && atStart);
}

void PermissionsStepView::restart() {
    // The next launch opens onboarding again, on this step.
    m_services.preferences.setOnboardingResumeAt(static_cast<int>(m_flow.step()));
    m_services.relaunch();
}

}  // namespace halvane
