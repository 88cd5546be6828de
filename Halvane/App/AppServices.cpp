#include "Halvane/App/AppServices.h"

#include <QCoreApplication>
#include <QDesktopServices>

#include "Halvane/App/AppLaunchSnapshot.h"
#include "Halvane/App/HalvaneLogo.h"
#include "Halvane/App/ServingProblemCard.h"
#include "Halvane/App/Shell/AppRelauncher.h"
#include "Halvane/App/Shell/AppShell.h"
#include "Halvane/App/Shell/FirstRun.h"
#include "Halvane/App/Shell/OnboardingFlow.h"
#include "Halvane/App/Shell/OnboardingWindowController.h"
#include "Halvane/App/Shell/SettingsWindowController.h"
#include "Halvane/App/TrayMenu.h"
#include "Halvane/Notch/NotchController.h"
#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Sessions/HookServer.h"
#include "Halvane/Sessions/HookServerKeeper.h"
#include "Halvane/Sessions/HooksInstaller.h"
#include "Halvane/Sessions/SessionScanner.h"
#include "Halvane/Sessions/SessionStore.h"
#include "Halvane/Terminals/Focus/TerminalFocusService.h"

namespace halvane {

AppServices::AppServices() : AppServices(Options()) {}

AppServices::AppServices(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options)) {}

AppServices::~AppServices() {
    // A tab search still running on a worker uses our selector: let it finish.
    TerminalFocusService::install({});
}

void AppServices::start() {
    if (m_sessions) {
        return;
    }
    installDesktopServices();
    recordLaunchSnapshot();
    startShell();
    startSessions();
    startNotch();
    runFirstRunDecision();
    startScanner();
    startHookServer();
}

void AppServices::installDesktopServices() {
    TerminalFocusService::install(
        {&m_processes, &m_windows, &m_tabs, {}, usableRuntimeDirectory()});
}

std::string AppServices::usableRuntimeDirectory() const {
    // Injector sockets are only looked for in a folder that is the user's
    // alone; the hook server's keeper reports the problem otherwise.
    if (m_options.runtimeDirectory.empty() ||
        runtime_directory::prepare(m_options.runtimeDirectory, ::getuid())) {
        return {};
    }
    return m_options.runtimeDirectory;
}

void AppServices::recordLaunchSnapshot() {
    AppLaunchSnapshot::setAccessibilityWasGranted(m_windows.trusted());
}

void AppServices::startShell() {
    m_shell = std::make_unique<AppShell>(ShellServices{
        m_preferences, m_sounds, m_accessibility, [this] { return m_windows.trusted(); },
        [] { return AppLaunchSnapshot::accessibilityWasGranted(); },
        [] { AppRelauncher::relaunch(); }, [] { QCoreApplication::quit(); },
        [](const QUrl& url) { QDesktopServices::openUrl(url); },
        [](qreal size, QWidget* parent) -> QWidget* {
            return new HalvaneLogo(size, HalvaneLogoStyle::color, parent);
        },
        QStringLiteral(HALVANE_VERSION)});
    TrayMenu* tray = m_tray;
    m_shell->startUpdater([tray](const QString& title, const QString& text) {
        if (tray != nullptr) {
            tray->showMessage(title, text);
        }
    });
    if (tray != nullptr) {
        m_shell->addMenuItems(tray->menu(), tray->quitAction());
    }
}

void AppServices::startSessions() {
    m_sessions = std::make_shared<SessionStore>(m_sounds, m_preferences);
    m_sessions->reloadAllowPatterns();
    // Jumps and replies that finish after their session has gone do nothing.
    TerminalFocusService::install(
        {&m_processes, &m_windows, &m_tabs, m_sessions.get(), usableRuntimeDirectory()});
    m_shell->bindSessions(*m_sessions);
}

void AppServices::startNotch() {
    m_notchController = std::make_unique<NotchController>(*m_sessions);
    m_notchController->start();
    // Screens without a notch show no wings to point at: a click on the tray
    // icon opens the session list instead, as a tap on the wings would.
    if (m_tray != nullptr) {
        NotchController* controller = m_notchController.get();
        QObject::connect(&m_tray->icon(), &QSystemTrayIcon::activated, controller,
                         [controller](QSystemTrayIcon::ActivationReason reason) {
                             if (reason == QSystemTrayIcon::Trigger) {
                                 controller->expandOnDemand();
                             }
                         });
    }
}

void AppServices::showSessions() {
    if (m_notchController) {
        m_notchController->expandOnDemand();
    }
}

void AppServices::showSettings() {
    if (m_shell) {
        m_shell->settings().show();
    }
}

void AppServices::runFirstRunDecision() {
    const auto decision = FirstRun::decide(m_preferences, [this] {
        return OnboardingFlow::everythingAlreadySetUp([this] { return m_windows.trusted(); });
    });
    if (decision == FirstRun::Action::installHooks) {
        log::system("Halvane: " + HooksInstaller::installIfNeeded().text());
        return;
    }
    log::system("Halvane: first run: onboarding is needed before the hooks are installed");
    // The onboarding window installs them at its hooks step.
    m_shell->onboarding().showIfNeeded(*m_sessions);
}

void AppServices::startScanner() {
    m_scanner = std::make_unique<SessionScanner>(*m_sessions);
    m_scanner->start();
}

HookServer* AppServices::server() const {
    return m_serving ? m_serving->server() : nullptr;
}

void AppServices::startHookServer() {
    m_serving = std::make_unique<HookServerKeeper>(
        m_sessions, HookServerKeeper::Options{m_options.runtimeDirectory, m_options.socketPath,
                                              m_options.serveRetry});
    m_problemCard = std::make_unique<ServingProblemCard>();
    connect(m_serving.get(), &HookServerKeeper::problemChanged, m_problemCard.get(),
            &ServingProblemCard::setProblem);
    TrayMenu* tray = m_tray;
    if (tray != nullptr) {
        connect(m_serving.get(), &HookServerKeeper::problemChanged, tray,
                [tray](const QString& problem) {
                    tray->icon().setToolTip(problem.isEmpty()
                                                ? QStringLiteral("Halvane")
                                                : QStringLiteral("Halvane is not receiving "
                                                                 "Claude Code's hooks: ") +
                                                      problem);
                });
    }
    m_serving->start();
}

}  // namespace halvane
