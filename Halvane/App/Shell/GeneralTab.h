#pragma once

#include <QWidget>

namespace halvane {

class OnboardingButton;
class OnboardingFeedback;
class SettingRow;
class ToggleSwitch;
struct ShellServices;

// Sounds, start at login, when to ask, and a way back into onboarding.
class GeneralTab final : public QWidget {
    Q_OBJECT

public:
    GeneralTab(const ShellServices& services, OnboardingFeedback& feedback,
               QWidget* parent = nullptr);

    SettingRow* soundsRow() const { return m_soundsRow; }
    SettingRow* loginRow() const { return m_loginRow; }
    ToggleSwitch* soundsSwitch() const { return m_sounds; }
    ToggleSwitch* loginSwitch() const { return m_login; }
    OnboardingButton* replayButton() const { return m_replay; }

    // Re-reads both switches' facts.
    void refresh();

signals:
    void replayOnboardingRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void loginToggled(bool on);

    const ShellServices& m_services;
    OnboardingFeedback& m_feedback;
    ToggleSwitch* m_sounds;
    SettingRow* m_soundsRow;
    ToggleSwitch* m_login;
    SettingRow* m_loginRow;
    ToggleSwitch* m_everyCall;
    SettingRow* m_everyCallRow;
    OnboardingButton* m_replay;
};

}  // namespace halvane
