#include "Halvane/App/Shell/OnboardingFlow.h"

#include <QMetaEnum>
#include <QTimer>

#include "Halvane/App/Shell/AutostartEntry.h"
#include "Halvane/Sessions/HooksInstaller.h"
#include "Halvane/Sessions/Preferences.h"

namespace halvane {

OnboardingFlow::OnboardingFlow(SessionStore& sessions, Preferences& preferences, TrustQuery trusted,
                               std::chrono::milliseconds statusPollInterval, QObject* parent)
    : QObject(parent),
      m_sessions(sessions),
      m_preferences(preferences),
      m_trusted(std::move(trusted)),
      m_pollInterval(statusPollInterval),
      m_hooksInstalled(HooksInstaller::isInstalled()),
      m_autostartInstalled(AutostartEntry::isInstalled()) {
    m_accessibilityGranted = m_trusted();
    m_startedWithAccessibility = m_accessibilityGranted;
    if (const auto number = m_preferences.onboardingResumeAt(); number && isStep(*number)) {
        m_step = static_cast<Step>(*number);
        m_preferences.removeOnboardingResumeAt();
    }
}

OnboardingFlow::~OnboardingFlow() = default;

void OnboardingFlow::advance() {
    moveTo(static_cast<int>(m_step) + 1);
}

void OnboardingFlow::goBack() {
    moveTo(static_cast<int>(m_step) - 1);
}

void OnboardingFlow::moveTo(int number) {
    if (!isStep(number)) {
        return;
    }
    m_step = static_cast<Step>(number);
    emit stepChanged();
}

bool OnboardingFlow::isStep(int number) {
    return QMetaEnum::fromType<Step>().valueToKey(number) != nullptr;
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
    assign(m_autostartInstalled, AutostartEntry::isInstalled());
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
    return HooksInstaller::isInstalled() && AutostartEntry::isInstalled() && trusted();
}

}  // namespace halvane
