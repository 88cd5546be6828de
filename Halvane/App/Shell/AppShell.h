#pragma once

#include <QObject>

#include <memory>

#include "Halvane/App/Shell/OnboardingTimings.h"
#include "Halvane/App/Shell/SettingsTimings.h"
#include "Halvane/App/Shell/ShellServices.h"
#include "Halvane/App/Shell/UpdaterManager.h"

class QAction;
class QMenu;

namespace halvane {

class StartAtLoginAction;
class OnboardingWindowController;
class SessionStore;
class SettingsWindowController;

// Everything around the notch that the application delegate starts: updates,
// onboarding, settings and the tray menu's entries for them. One per process.
class AppShell final : public QObject {
    Q_OBJECT

public:
    explicit AppShell(ShellServices services, QObject* parent = nullptr,
                      OnboardingTimings onboardingTimings = OnboardingTimings(),
                      SettingsTimings settingsTimings = SettingsTimings());
    ~AppShell() override;

    UpdaterManager& updater() const { return *m_updater; }
    OnboardingWindowController& onboarding() const { return *m_onboarding; }
    SettingsWindowController& settings() const { return *m_settings; }

    // Launch step: the updater exists from now on and, when automatic checks
    // are on, looks for a newer version shortly after; `notify` shows the
    // tray message when it finds one.
    void startUpdater(UpdaterManager::Notify notify);
    // Launch step: the settings window can now replay onboarding for the store.
    void bindSessions(SessionStore& sessions);
    // The tray menu's "Settings…" and start-at-login entries, before `quit`.
    StartAtLoginAction* addMenuItems(QMenu& menu, QAction* quit);

private:
    std::unique_ptr<UpdaterManager> m_updater;
    std::unique_ptr<OnboardingWindowController> m_onboarding;
    std::unique_ptr<SettingsWindowController> m_settings;
};

}  // namespace halvane
