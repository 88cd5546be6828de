#include "Halvane/App/Shell/AppShell.h"

#include "Halvane/App/Shell/OnboardingWindowController.h"
#include "Halvane/App/Shell/SettingsWindowController.h"
#include "Halvane/App/Shell/ShellLook.h"
#include "Halvane/App/Shell/ShellMenu.h"

namespace halvane {

AppShell::AppShell(ShellServices services, QObject* parent, OnboardingTimings onboardingTimings,
                   SettingsTimings settingsTimings)
    : QObject(parent),
      m_updater(std::make_unique<UpdaterManager>(services.preferences, services.openUrl,
                                                 UpdaterManager::buildAppcast(),
                                                 ShellLook::version(services))),
      m_onboarding(std::make_unique<OnboardingWindowController>(services, onboardingTimings)),
      m_settings(std::make_unique<SettingsWindowController>(services, *m_onboarding,
                                                            m_updater.get(), settingsTimings)) {}

AppShell::~AppShell() = default;

void AppShell::startUpdater(UpdaterManager::Notify notify) {
    m_updater->start(std::move(notify));
}

void AppShell::bindSessions(SessionStore& sessions) {
    m_settings->setSessions(&sessions);
}

StartAtLoginAction* AppShell::addMenuItems(QMenu& menu, QAction* quit) {
    return ShellMenu::addItems(menu, quit, [this] { m_settings->show(); });
}

}  // namespace halvane
