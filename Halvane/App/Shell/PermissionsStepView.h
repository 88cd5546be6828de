#pragma once

#include "Halvane/App/Shell/OnboardingStepView.h"

namespace halvane {

class AccessibilityRow;
class OnboardingFlow;
class SettingRow;
class ToggleSwitch;
struct ShellServices;

// Step 3: the right to bring terminals forward, start at login, and sounds.
// "Continue" waits until the right was there when Halvane started.
class PermissionsStepView final : public OnboardingStepView {
    Q_OBJECT

public:
    PermissionsStepView(OnboardingFlow& flow, const ShellServices& services,
                        QWidget* parent = nullptr);

    AccessibilityRow* accessibilityRow() const { return m_accessibility; }
    SettingRow* loginRow() const { return m_login; }
    SettingRow* soundsRow() const { return m_sounds; }
    ToggleSwitch* loginSwitch() const { return m_loginSwitch; }
    ToggleSwitch* soundsSwitch() const { return m_soundsSwitch; }

    void stepShown() override;

private:
    void refreshRows();
    void restart();

    OnboardingFlow& m_flow;
    const ShellServices& m_services;
    AccessibilityRow* m_accessibility;
    ToggleSwitch* m_loginSwitch;
    SettingRow* m_login;
    ToggleSwitch* m_soundsSwitch;
    SettingRow* m_sounds;
};

}  // namespace halvane
