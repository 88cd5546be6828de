#include "Halvane/App/Shell/SettingsWindowController.h"

#include "Halvane/App/Shell/FramelessWindow.h"
#include "Halvane/App/Shell/OnboardingWindowController.h"
#include "Halvane/App/Shell/SettingsView.h"
#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Sessions/Preferences.h"
#include "Halvane/Sessions/SessionStore.h"

namespace halvane {

SettingsWindowController::SettingsWindowController(ShellServices services,
                                                   OnboardingWindowController& onboarding,
                                                   UpdaterManager* updater, SettingsTimings timings,
                                                   QObject* parent)
    : QObject(parent),
      m_services(std::move(services)),
      m_onboarding(onboarding),
      m_updater(updater),
      m_timings(timings) {}

SettingsWindowController::~SettingsWindowController() {
    delete m_window.data();
}

void SettingsWindowController::setSessions(SessionStore* sessions) {
    m_sessions = sessions;
}

SettingsView* SettingsWindowController::view() const {
    return m_window ? static_cast<SettingsView*>(m_window->content()) : nullptr;
}

bool SettingsWindowController::isOpen() const {
    return m_window && m_window->isVisible();
}

void SettingsWindowController::show() {
    if (m_window) {
        m_window->present();
        return;
    }
    if (!m_sessions) {
        log::system("SettingsWindow.show: no sessions store bound");
        return;
    }
    auto* content = new SettingsView(m_services, m_updater, m_timings);
    connect(content, &SettingsView::closeRequested, this, &SettingsWindowController::close);
    connect(content, &SettingsView::replayOnboardingRequested, this,
            &SettingsWindowController::replayOnboarding);
    m_window = new FramelessWindow(content, kWindowSize);
    m_window->setWindowTitle(QStringLiteral("Halvane Settings"));
    m_window->centreOnActiveScreen();
    // While settings are open Halvane is an ordinary window in the task bar.
    m_window->present();
}

void SettingsWindowController::close() {
    if (m_window) {
        m_window->hide();
    }
}

void SettingsWindowController::replayOnboarding() {
    m_services.preferences.removeOnboardingCompleted();
    m_services.preferences.removeOnboardingResumeAt();
    close();
    m_replay.start(m_timings.replayDelay, [this] {
        if (m_sessions) {
            m_onboarding.show(*m_sessions, &OnboardingWindowController::installHooksAndLog);
        }
    });
}

}  // namespace halvane
