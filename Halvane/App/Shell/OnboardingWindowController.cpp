#include "Halvane/App/Shell/OnboardingWindowController.h"

#include <QMetaObject>

#include "Halvane/App/Shell/FirstRun.h"
#include "Halvane/App/Shell/FramelessWindow.h"
#include "Halvane/App/Shell/OnboardingFlow.h"
#include "Halvane/App/Shell/OnboardingView.h"
#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Sessions/HooksInstaller.h"
#include "Halvane/Sessions/SessionStore.h"

namespace halvane {

OnboardingWindowController::OnboardingWindowController(ShellServices services,
                                                       OnboardingTimings timings, QObject* parent)
    : QObject(parent), m_services(std::move(services)), m_timings(timings) {}

OnboardingWindowController::~OnboardingWindowController() {
    // The window is a top-level widget of its own; it goes with us, without
    // running a completion for a process that is shutting down.
    delete m_window.data();
}

OnboardingView* OnboardingWindowController::view() const {
    return m_window ? static_cast<OnboardingView*>(m_window->content()) : nullptr;
}

void OnboardingWindowController::show(SessionStore& sessions, std::function<void()> onComplete) {
    m_onComplete = std::move(onComplete);
    if (m_window) {
        m_window->present();
        return;
    }
    m_flow = std::make_unique<OnboardingFlow>(
        sessions, m_services.preferences, m_services.accessibilityTrusted, m_timings.statusPoll);
    m_flow->startPollingStatus();
    auto* content = new OnboardingView(*m_flow, m_services, m_timings);
    connect(content, &OnboardingView::finished, this, &OnboardingWindowController::close);
    m_window = new FramelessWindow(content, kWindowSize);
    m_window->setWindowTitle(QStringLiteral("Welcome to Halvane"));
    m_window->centreOnActiveScreen();
    // While onboarding is open Halvane is an ordinary window in the task bar,
    // so it can be found again behind other windows.
    m_window->present();
    emit opened();
}

void OnboardingWindowController::close() {
    if (m_flow) {
        m_flow->stopPollingStatus();
    }
    if (m_window) {
        m_window->hide();
        // Deleted later: close() runs from a button inside this window.
        m_window->deleteLater();
        m_window = nullptr;
    }
    // The flow outlives this turn of the event loop with its window, whose
    // views refer to it.
    if (m_flow) {
        m_flow.release()->deleteLater();
    }
    emit closed();
    if (auto onComplete = std::move(m_onComplete)) {
        m_onComplete = nullptr;
        onComplete();
    }
}

void OnboardingWindowController::installHooksAndLog() {
    log::system("Halvane: " + HooksInstaller::installIfNeeded().text());
}

void OnboardingWindowController::showIfNeeded(SessionStore& sessions) {
    const auto decision = FirstRun::decide(m_services.preferences, [this] {
        return OnboardingFlow::everythingAlreadySetUp(m_services.accessibilityTrusted);
    });
    if (decision == FirstRun::Action::installHooks) {
        installHooksAndLog();
        return;
    }
    // After the launch has finished, like any other window the user opens.
    QPointer<SessionStore> store(&sessions);
    QMetaObject::invokeMethod(
        this,
        [this, store] {
            if (store) {
                show(*store, &OnboardingWindowController::installHooksAndLog);
            }
        },
        Qt::QueuedConnection);
}

}  // namespace halvane
