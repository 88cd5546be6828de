#include "Halvane/App/Shell/OnboardingFlow.h"

#include <QTimer>

#include "Halvane/App/Shell/LaunchAgentService.h"
#include "Halvane/Sessions/HooksInstaller.h"
#include "Halvane/Sessions/Preferences.h"

namespace halvane {

int rawValue(OnboardingFlow::Step step) {
    return static_cast<int>(step);
}

std::optional<OnboardingFlow::Step> onboardingStepFromRaw(int raw) {
    if (raw < 0 || raw >= OnboardingFlow::kStepCount) {
        return std::nullopt;
    }
    return static_cast<OnboardingFlow::Step>(raw);
}

OnboardingFlow::OnboardingFlow(SessionStore& sessions, Preferences& preferences, TrustQuery trusted,
                               std::chrono::milliseconds statusPollInterval, QObject* parent)
    : QObject(parent),
      m_sessions(sessions),
      m_preferences(preferences),
      m_trusted(std::move(trusted)),
      m_pollInterval(statusPollInterval),
      m_hooksInstalled(HooksInstaller::isInstalled()),
      m_launchAgentInstalled(LaunchAgentService::isInstalled()) {
    m_accessibilityGranted = m_trusted();
    m_startedWithAccessibility = m_accessibilityGranted;
    if (const auto raw = m_preferences.onboardingResumeAt()) {
        if (const auto step = onboardingStepFromRaw(*raw)) {
            m_step = *step;
            m_preferences.removeOnboardingResumeAt();
        }
    }
}

OnboardingFlow::~OnboardingFlow() = default;

void OnboardingFlow::advance() {
    moveTo(rawValue(m_step) + 1);
}

void OnboardingFlow::goBack() {
    moveTo(rawValue(m_step) - 1);
}

void OnboardingFlow::moveTo(int raw) {
    const auto step = onboardingStepFromRaw(raw);
    if (!step) {
        return;
    }
    m_step = *step;
    emit stepChanged();
}

void OnboardingFlow::refreshStatus() {
    bool changed = false;
    const auto assign = [&changed](bool& field, bool value) {
        if (field != value) {
            field = value;
            changed = true;
        }
    };
    assign(m_hooksInstalled, HooksInstaller::isInstalled());
    assign(m_launchAgentInstalled, LaunchAgentService::isInstalled());
    assign(m_accessibilityGranted, m_trusted());
    if (changed) {
        emit statusChanged();
    }
}

void OnboardingFlow::startPollingStatus() {
    stopPollingStatus();
    // A child of the flow: it goes with the flow and never ticks for a dead one.
    auto* timer = new QTimer(this);
    timer->setInterval(m_pollInterval);
    connect(timer, &QTimer::timeout, this, &OnboardingFlow::refreshStatus);
    timer->start();
    m_statusTimer = timer;
}

void OnboardingFlow::stopPollingStatus() {
    if (m_statusTimer) {
        m_statusTimer->stop();
        m_statusTimer->deleteLater();
        m_statusTimer = nullptr;
    }
}

bool OnboardingFlow::isPollingStatus() const {
    return m_statusTimer && m_statusTimer->isActive();
}

bool OnboardingFlow::everythingAlreadySetUp(const TrustQuery& trusted) {
    return HooksInstaller::isInstalled() && LaunchAgentService::isInstalled() && trusted();
}

}  // namespace halvane
