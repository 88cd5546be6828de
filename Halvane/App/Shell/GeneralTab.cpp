#include "Halvane/App/Shell/GeneralTab.h"

#include <QVBoxLayout>

#include "Halvane/App/Shell/AutostartEntry.h"
#include "Halvane/App/Shell/OnboardingButton.h"
#include "Halvane/App/Shell/OnboardingFeedback.h"
#include "Halvane/App/Shell/ShellServices.h"
#include "Halvane/App/Shell/ToggleSwitch.h"
#include "Halvane/Notch/Components/SettingRow.h"
#include "Halvane/Sessions/Preferences.h"

namespace halvane {

GeneralTab::GeneralTab(const ShellServices& services, OnboardingFeedback& feedback, QWidget* parent)
    : QWidget(parent), m_services(services), m_feedback(feedback) {
    setAttribute(Qt::WA_TranslucentBackground);
    const bool sounds = services.preferences.soundsEnabled();
    m_sounds = new ToggleSwitch(sounds);
    m_soundsRow = new SettingRow(
        Icon::speaker, QStringLiteral("8-bit sounds"),
        QStringLiteral("Play a chime when Claude finishes a task or asks for permission."), sounds,
        m_sounds, this);
    const bool login = AutostartEntry::isInstalled();
    m_login = new ToggleSwitch(login);
    m_loginRow = new SettingRow(Icon::power, QStringLiteral("Start at login"),
                                QStringLiteral("Always have Halvane running, ready to react."),
                                login, m_login, this);
    const bool everyCall = services.preferences.askBeforeEveryToolCall();
    m_everyCall = new ToggleSwitch(everyCall);
    m_everyCallRow = new SettingRow(
        Icon::shield, QStringLiteral("Ask before every tool call"),
        QStringLiteral("Off: Halvane asks when Claude Code asks. On: Halvane asks before every "
                       "tool call and lets Claude Code ask in the terminal after 25 s."),
        everyCall, m_everyCall, this);
    m_replay = new OnboardingButton(QStringLiteral("Replay"), OnboardingButton::Style::secondary);
    auto* replayRow = new SettingRow(Icon::replay, QStringLiteral("Replay onboarding"),
                                     QStringLiteral("Run the welcome flow again from the start."),
                                     false, m_replay, this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    column->addWidget(m_soundsRow);
    column->addWidget(m_loginRow);
    column->addWidget(m_everyCallRow);
    column->addWidget(replayRow);
    column->addStretch(1);

    connect(m_sounds, &ToggleSwitch::clicked, this, [this](bool on) {
        m_services.preferences.setSoundsEnabled(on);
        m_soundsRow->setStatusOn(on);
    });
    connect(m_everyCall, &ToggleSwitch::clicked, this, [this](bool on) {
        m_services.preferences.setAskBeforeEveryToolCall(on);
        m_everyCallRow->setStatusOn(on);
    });
    connect(m_login, &ToggleSwitch::clicked, this, &GeneralTab::loginToggled);
    connect(m_replay, &OnboardingButton::clicked, this, &GeneralTab::replayOnboardingRequested);
}

void GeneralTab::loginToggled(bool on) {
    if (on) {
        AutostartEntry::install();
    } else {
        AutostartEntry::uninstall();
    }
    refresh();
    if (on && AutostartEntry::isInstalled()) {
        m_feedback.success();
    }
}

void GeneralTab::refresh() {
    const bool sounds = m_services.preferences.soundsEnabled();
    m_sounds->setChecked(sounds);
    m_soundsRow->setStatusOn(sounds);
    const bool everyCall = m_services.preferences.askBeforeEveryToolCall();
    m_everyCall->setChecked(everyCall);
    m_everyCallRow->setStatusOn(everyCall);
    // The entry on disk is the truth: a failed install leaves the switch off.
    const bool login = AutostartEntry::isInstalled();
    m_login->setChecked(login);
    m_loginRow->setStatusOn(login);
}

void GeneralTab::showEvent(QShowEvent* event) {
    refresh();
    QWidget::showEvent(event);
}

}  // namespace halvane
