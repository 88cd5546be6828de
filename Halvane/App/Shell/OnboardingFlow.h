#pragma once

#include <QObject>
#include <QPointer>

#include <chrono>
#include <functional>

class QTimer;

namespace halvane {

class Preferences;
class SessionStore;

// The first-run flow's model: which of the four steps shows, and the three
// facts the steps depend on (hooks, start at login, the right to bring other
// windows forward), kept fresh by a status poll while the window is open.
// Main thread only.
class OnboardingFlow final : public QObject {
    Q_OBJECT

public:
    // The numbers are what the preferences store for a step to resume at.
    enum class Step { welcome = 0, hooks = 1, permissions = 2, demo = 3 };
    Q_ENUM(Step)
    static constexpr int kStepCount = 4;
    static constexpr std::chrono::milliseconds kStatusPollInterval{500};

    using TrustQuery = std::function<bool()>;

    // Starts at `welcome`, unless the preferences hold a step to resume at:
    // then it starts there and the key is removed. A value that is not a step
    // is left alone.
    OnboardingFlow(SessionStore& sessions, Preferences& preferences, TrustQuery trusted,
                   std::chrono::milliseconds statusPollInterval = kStatusPollInterval,
                   QObject* parent = nullptr);
    ~OnboardingFlow() override;

    Step step() const { return m_step; }
    bool hooksInstalled() const { return m_hooksInstalled; }
    bool autostartInstalled() const { return m_autostartInstalled; }
    bool accessibilityGranted() const { return m_accessibilityGranted; }
    // Whether the right was there when this flow began; fixed for its life.
    bool startedWithAccessibility() const { return m_startedWithAccessibility; }
    SessionStore& sessions() const { return m_sessions; }
    Preferences& preferences() const { return m_preferences; }

    void advance();
    void goBack();

    // Re-reads the three facts; statusChanged() follows only a real change.
    void refreshStatus();
    void startPollingStatus();
    void stopPollingStatus();
    bool isPollingStatus() const;

    // Hooks installed, start at login on and the right granted: nothing left
    // for the first-run flow to do.
    static bool everythingAlreadySetUp(const TrustQuery& trusted);

signals:
    void stepChanged();
    void statusChanged();

private:
    // Moves to the step numbered `number`, if there is one.
    void moveTo(int number);
    static bool isStep(int number);

    SessionStore& m_sessions;
    Preferences& m_preferences;
    TrustQuery m_trusted;
    std::chrono::milliseconds m_pollInterval;
    Step m_step = Step::welcome;
    bool m_hooksInstalled = false;
    bool m_autostartInstalled = false;
    bool m_accessibilityGranted = false;
    bool m_startedWithAccessibility = false;
    QPointer<QTimer> m_statusTimer;
};

}  // namespace halvane
