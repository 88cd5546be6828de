#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>

#include <functional>
#include <memory>

#include "Halvane/App/Shell/FramelessWindow.h"
#include "Halvane/App/Shell/OnboardingTimings.h"
#include "Halvane/App/Shell/ShellServices.h"

namespace halvane {

class OnboardingFlow;
class OnboardingView;
class SessionStore;

// Owns the onboarding window: opens it centred on the screen under the
// pointer, keeps one at most, and runs the caller's completion when it closes.
class OnboardingWindowController final : public QObject {
    Q_OBJECT

public:
    static constexpr QSize kWindowSize{720, 520};

    explicit OnboardingWindowController(ShellServices services,
                                        OnboardingTimings timings = OnboardingTimings(),
                                        QObject* parent = nullptr);
    ~OnboardingWindowController() override;

    // Opens the window, or brings the open one forward; either way
    // `onComplete` replaces the completion to run on close.
    void show(SessionStore& sessions, std::function<void()> onComplete);
    // Closes the window, stops its status poll and runs the completion once.
    void close();

    // The launch's first-run decision: resume an interrupted onboarding,
    // mark a machine that needs none as done, then either install the hooks
    // now or open onboarding (just after launch) and install them when it
    // completes. Both installs log their result.
    void showIfNeeded(SessionStore& sessions);

    bool isOpen() const { return m_window != nullptr; }
    FramelessWindow* window() const { return m_window; }
    OnboardingFlow* flow() const { return m_flow.get(); }
    OnboardingView* view() const;

    // Runs the hooks installer and logs "Halvane: <result>".
    static void installHooksAndLog();

signals:
    void opened();
    void closed();

private:
    ShellServices m_services;
    OnboardingTimings m_timings;
    QPointer<FramelessWindow> m_window;
    std::unique_ptr<OnboardingFlow> m_flow;
    std::function<void()> m_onComplete;
};

}  // namespace halvane
