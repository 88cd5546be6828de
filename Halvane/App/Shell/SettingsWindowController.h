#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>

#include "Halvane/App/Shell/FramelessWindow.h"
#include "Halvane/App/Shell/SettingsTimings.h"
#include "Halvane/App/Shell/ShellServices.h"
#include "Halvane/Sessions/DelayedTask.h"

namespace halvane {

class OnboardingWindowController;
class SessionStore;
class SettingsView;
class UpdaterManager;

// Owns the settings window: made on first show, centred on the screen under
// the pointer, hidden on close and shown again as it was.
class SettingsWindowController final : public QObject {
    Q_OBJECT

public:
    static constexpr QSize kWindowSize{720, 580};

    // `updater` may be null (update checks then show as off).
    SettingsWindowController(ShellServices services, OnboardingWindowController& onboarding,
                             UpdaterManager* updater, SettingsTimings timings = SettingsTimings(),
                             QObject* parent = nullptr);
    ~SettingsWindowController() override;

    // Replaying onboarding needs the store; the controller does not keep it
    // alive.
    void setSessions(SessionStore* sessions);

    void show();
    void close();

    bool isOpen() const;
    FramelessWindow* window() const { return m_window; }
    SettingsView* view() const;

private:
    void replayOnboarding();

    ShellServices m_services;
    OnboardingWindowController& m_onboarding;
    UpdaterManager* m_updater;
    SettingsTimings m_timings;
    QPointer<SessionStore> m_sessions;
    QPointer<FramelessWindow> m_window;
    DelayedTask m_replay{this};
};

}  // namespace halvane
