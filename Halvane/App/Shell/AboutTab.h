#pragma once

#include <QWidget>

class QLabel;

namespace halvane {

class OnboardingButton;
class PulsingLogo;
class SettingsCard;
class ToggleSwitch;
class UpdaterManager;
struct ShellServices;

// Who we are, which version runs, update checks, and the way out.
class AboutTab final : public QWidget {
    Q_OBJECT

public:
    // `updater` may be null: then update checks show as off.
    AboutTab(const ShellServices& services, UpdaterManager* updater, QWidget* parent = nullptr);

    PulsingLogo* logo() const { return m_logo; }
    SettingsCard* updatesCard() const { return m_updates; }
    ToggleSwitch* autoCheckSwitch() const { return m_autoCheck; }
    OnboardingButton* checkNowButton() const { return m_checkNow; }
    OnboardingButton* quitButton() const { return m_quit; }
    QString versionText() const;

    void refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool updatesConfigured() const;

    const ShellServices& m_services;
    UpdaterManager* m_updater;
    PulsingLogo* m_logo;
    QLabel* m_version;
    SettingsCard* m_updates;
    ToggleSwitch* m_autoCheck;
    OnboardingButton* m_checkNow;
    OnboardingButton* m_quit;
};

}  // namespace halvane
