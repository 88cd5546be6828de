#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

#include <chrono>

#include "GuiTestSupport.h"
#include "Halvane/App/Shell/AccessibilityRow.h"
#include "Halvane/App/Shell/ConfettiView.h"
#include "Halvane/App/Shell/DemoStepView.h"
#include "Halvane/App/Shell/FramelessWindow.h"
#include "Halvane/App/Shell/HooksPreviewCard.h"
#include "Halvane/App/Shell/HooksStepView.h"
#include "Halvane/App/Shell/MockNotchDemo.h"
#include "Halvane/App/Shell/OnboardingButton.h"
#include "Halvane/App/Shell/OnboardingFlow.h"
#include "Halvane/App/Shell/OnboardingProgressBar.h"
#include "Halvane/App/Shell/OnboardingView.h"
#include "Halvane/App/Shell/OnboardingWindowController.h"
#include "Halvane/App/Shell/PermissionsStepView.h"
#include "Halvane/App/Shell/ToggleSwitch.h"
#include "Halvane/App/Shell/WelcomeStepView.h"
#include "Halvane/Notch/Components/SettingRow.h"
#include "Halvane/Notch/Components/StatusPill.h"
#include "LogCapture.h"
#include "ShellFixture.h"

namespace halvane {
namespace {

using namespace std::chrono_literals;
using Step = OnboardingFlow::Step;
using test::render;
using test::waitUntil;

OnboardingTimings shortTimings() {
    OnboardingTimings timings;
    timings.statusPoll = 20ms;
    timings.advanceAfterInstall = 30ms;
    timings.detectExisting = 30ms;
    timings.secondBurst = 30ms;
    // Long enough to still fall when a test looks at it.
    timings.confetti = 5s;
    timings.demoStart = 10ms;
    timings.demoLine = 10ms;
    timings.demoHold = 30ms;
    return timings;
}

bool hasLine(const test::LogCapture& log, const std::string& prefix) {
    for (const std::string& line : log.lines()) {
        if (line.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

class OnboardingGuiTest : public test::ShellFixture {
protected:
    OnboardingGuiTest() { test::guiApplication(); }

    void open() {
        m_controller.show(m_store, [this] { ++m_completions; });
        ASSERT_TRUE(m_controller.isOpen());
        settle();
    }

    OnboardingView& view() const { return *m_controller.view(); }
    OnboardingFlow& flow() const { return *m_controller.flow(); }
    template <typename View>
    View& step(Step which) const {
        return *static_cast<View*>(view().stepView(which));
    }

    // Lets a step's slide finish, so what shows is what a person would see.
    void settle() const {
        ASSERT_TRUE(waitUntil([this] { return !view().transitioning(); }));
    }
    void goTo(Step target) {
        while (flow().step() != target) {
            flow().advance();
        }
        settle();
    }
    QImage snapshot(const QString& name) const { return render(*m_controller.window(), name); }

    void addSession(const std::string& id) {
        HookEvent event;
        event.kind = HookEvent::Kind::notification;
        event.sessionId = id;
        event.cwd = "/work/" + id;
        event.timestamp = 100;
        m_store.handle(event, [](const HookDecision&) {});
    }

    OnboardingWindowController m_controller{services(), shortTimings()};
    int m_completions = 0;
};

TEST_F(OnboardingGuiTest, OneWindowCentredOnTheScreenClosingRunsTheLatestCompletionOnce) {
    open();
    FramelessWindow* window = m_controller.window();
    EXPECT_EQ(window->size(), QSize(720, 520));
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window->testAttribute(Qt::WA_TranslucentBackground));
    const QRect visible = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((window->geometry().center() - visible.center()).manhattanLength(), 2);
    EXPECT_TRUE(flow().isPollingStatus());

    int second = 0;
    m_controller.show(m_store, [&] { ++second; });
    EXPECT_EQ(m_controller.window(), window);

    m_controller.close();
    EXPECT_FALSE(m_controller.isOpen());
    EXPECT_EQ(m_completions, 0);
    EXPECT_EQ(second, 1);
    m_controller.close();
    EXPECT_EQ(second, 1);
}

TEST_F(OnboardingGuiTest, WelcomeLoopsThroughTheScriptedPrompt) {
    open();
    auto& welcome = step<WelcomeStepView>(Step::welcome);
    EXPECT_EQ(welcome.title(), QStringLiteral("Welcome to Halvane"));
    EXPECT_EQ(welcome.subtitle(), QStringLiteral("Claude Code, right at the top of your screen."));
    EXPECT_EQ(welcome.primaryButton()->text(), QStringLiteral("Get started"));
    EXPECT_EQ(welcome.secondaryButton(), nullptr);
    EXPECT_EQ(welcome.demo()->lines().size(), 3u);
    EXPECT_EQ(welcome.demo()->lines()[2].marker, QStringLiteral(" "));

    // Lines appear one at a time, then the buttons, then it starts over.
    std::vector<int> phases;
    QObject::connect(welcome.demo(), &MockNotchDemo::phaseChanged,
                     [&](int phase) { phases.push_back(phase); });
    const std::vector<int> loop = {0, 1, 2, 3, 4, 0};
    ASSERT_TRUE(waitUntil([&] {
        return std::search(phases.begin(), phases.end(), loop.begin(), loop.end()) != phases.end();
    }));

    welcome.primaryButton()->click();
    EXPECT_EQ(flow().step(), Step::hooks);
    EXPECT_EQ(view().progressBar()->current(), 2);
}

TEST_F(OnboardingGuiTest, InstallingHooksShowsTheTickAndMovesOn) {
    open();
    goTo(Step::hooks);
    auto& hooks = step<HooksStepView>(Step::hooks);
    EXPECT_EQ(hooks.title(), QStringLiteral("Connect to Claude Code"));
    EXPECT_EQ(hooks.preview()->fileText(), HooksPreviewCard::displayedSettingsPath());
    EXPECT_EQ(hooks.primaryButton()->text(), QStringLiteral("Install hooks"));
    ASSERT_NE(hooks.secondaryButton(), nullptr);
    snapshot(QStringLiteral("onboarding-2-hooks"));

    const test::LogCapture log;
    hooks.primaryButton()->click();
    EXPECT_EQ(hooks.primaryButton()->text(), QStringLiteral("Installed \u2713"));
    EXPECT_TRUE(HooksInstaller::isInstalled());
    EXPECT_TRUE(flow().hooksInstalled());
    EXPECT_TRUE(hasLine(log, "Onboarding install: installed hooks \u2192 "));
    EXPECT_EQ(played(SoundPlayer::Sound::glass), 1);
    hooks.primaryButton()->click();  // a second press before the move is ignored
    ASSERT_TRUE(waitUntil([&] { return flow().step() == Step::permissions; }));
    settle();
    EXPECT_EQ(flow().step(), Step::permissions);
}

TEST_F(OnboardingGuiTest, InstalledHooksOnlyNeedAContinueAndAMissingRelayIsSaid) {
    HooksInstaller::installIfNeeded();
    open();
    goTo(Step::hooks);
    auto& hooks = step<HooksStepView>(Step::hooks);
    EXPECT_EQ(hooks.primaryButton()->text(), QStringLiteral("Already installed \u2014 Continue"));
    hooks.primaryButton()->click();
    EXPECT_EQ(flow().step(), Step::permissions);

    HooksInstaller::setExecutablePathForTesting(m_root / "elsewhere" / "halvane");
    flow().goBack();
    settle();
    EXPECT_EQ(hooks.preview()->fileText(), QStringLiteral("(hook binary missing)"));
}

TEST_F(OnboardingGuiTest, AFailedInstallSaysWhyAndOffersAnotherTryOrAWayOn) {
    const std::string refused = R"({"model": "opus", "model": "sonnet"})";
    writeSettings(refused);
    open();
    goTo(Step::hooks);
    auto& hooks = step<HooksStepView>(Step::hooks);
    const test::LogCapture log;
    hooks.primaryButton()->click();
    EXPECT_EQ(hooks.failureText(),
              QStringLiteral("Couldn't change Claude Code's settings: %1 holds the key "
                             "\"model\" twice in one object")
                  .arg(QString::fromStdString(m_settings.string())));
    EXPECT_EQ(hooks.primaryButton()->text(), QStringLiteral("Try again"));
    EXPECT_FALSE(hooks.justInstalled());
    EXPECT_TRUE(hooks.continueButton()->isVisibleTo(&hooks));
    EXPECT_EQ(played(SoundPlayer::Sound::glass), 0);
    EXPECT_TRUE(hasLine(log, "Onboarding install: failed to write settings: "));
    EXPECT_EQ(settingsText(), refused);
    snapshot(QStringLiteral("onboarding-2-hooks-failed"));

    // Fixed by hand, another try installs and moves on.
    writeSettings(R"({"model": "opus"})");
    hooks.primaryButton()->click();
    EXPECT_EQ(hooks.primaryButton()->text(), QStringLiteral("Installed \u2713"));
    EXPECT_TRUE(hooks.failureText().isEmpty());
    EXPECT_FALSE(hooks.continueButton()->isVisibleTo(&hooks));
    ASSERT_TRUE(waitUntil([&] { return flow().step() == Step::permissions; }));

    // Without a relay there is nothing to install, yet the user may go on.
    HooksInstaller::setExecutablePathForTesting(m_root / "elsewhere" / "halvane");
    ASSERT_TRUE(waitUntil([&] { return !flow().hooksInstalled(); }));
    flow().goBack();
    settle();
    hooks.primaryButton()->click();
    EXPECT_TRUE(hooks.failureText().startsWith(QStringLiteral("halvane-hook is missing: ")))
        << hooks.failureText().toStdString();
    hooks.continueButton()->click();
    EXPECT_EQ(flow().step(), Step::permissions);
}

TEST_F(OnboardingGuiTest, PermissionsWaitForAccessGrantedAtLaunch) {
    open();
    goTo(Step::permissions);
    auto& permissions = step<PermissionsStepView>(Step::permissions);
    AccessibilityRow& row = *permissions.accessibilityRow();
    EXPECT_EQ(permissions.title(), QStringLiteral("Permissions & preferences"));
    EXPECT_FALSE(permissions.primaryButton()->isEnabled());
    EXPECT_EQ(permissions.primaryButton()->toolTip(), QStringLiteral("Disabled"));
    EXPECT_EQ(permissions.visibleHint(), QStringLiteral("Grant Accessibility access to continue"));
    EXPECT_TRUE(row.openSettingsButton()->isVisibleTo(&row));
    EXPECT_FALSE(row.visibleNote().isEmpty());
    snapshot(QStringLiteral("onboarding-3-permissions"));
    row.openSettingsButton()->click();
    EXPECT_EQ(m_accessibilitySettings.opened, 1);

    // Granted while the step shows: the poll notices, a restart is asked for.
    m_trusted = true;
    ASSERT_TRUE(waitUntil([&] { return row.restartButton()->isVisibleTo(&row); }));
    EXPECT_EQ(row.row()->detail(), AccessibilityRow::restartDetail());
    EXPECT_FALSE(row.row()->statusOn());
    EXPECT_EQ(permissions.visibleHint(), QStringLiteral("Restart Halvane to continue"));
    EXPECT_FALSE(permissions.primaryButton()->isEnabled());
    snapshot(QStringLiteral("onboarding-3-permissions-restart"));

    row.restartButton()->click();
    EXPECT_EQ(m_preferences.onboardingResumeAt(), 2);
    EXPECT_EQ(m_relaunches, 1);
}

TEST_F(OnboardingGuiTest, ARestartResumesAtPermissionsWithContinueEnabled) {
    m_preferences.setOnboardingCompleted(true);
    m_preferences.setOnboardingResumeAt(2);
    m_trusted = true;
    m_controller.showIfNeeded(m_store);
    EXPECT_FALSE(m_controller.isOpen()) << "opens once the launch has finished";
    ASSERT_TRUE(waitUntil([&] { return m_controller.isOpen(); }));
    settle();
    EXPECT_EQ(flow().step(), Step::permissions);
    EXPECT_FALSE(m_preferences.hasOnboardingResumeAt());

    auto& permissions = step<PermissionsStepView>(Step::permissions);
    EXPECT_TRUE(permissions.primaryButton()->isEnabled());
    EXPECT_TRUE(permissions.visibleHint().isEmpty());
    EXPECT_TRUE(permissions.accessibilityRow()->grantedPill()->isVisibleTo(&permissions));
    EXPECT_TRUE(permissions.accessibilityRow()->row()->statusOn());

    permissions.loginSwitch()->click();
    EXPECT_TRUE(AutostartEntry::isInstalled());
    EXPECT_TRUE(permissions.loginRow()->statusOn());
    permissions.loginSwitch()->click();
    EXPECT_FALSE(AutostartEntry::isInstalled());
    EXPECT_FALSE(permissions.loginSwitch()->isChecked());

    permissions.soundsSwitch()->click();
    EXPECT_FALSE(m_preferences.soundsEnabled());
    permissions.primaryButton()->click();
    EXPECT_EQ(flow().step(), Step::demo);
}

TEST_F(OnboardingGuiTest, ASessionAlreadyRunningIsCelebratedOnce) {
    addSession("first");
    open();
    goTo(Step::demo);
    auto& demo = step<DemoStepView>(Step::demo);
    EXPECT_TRUE(demo.pulse());
    ASSERT_TRUE(waitUntil([&] { return demo.confettiTrigger() == 2; }));
    EXPECT_TRUE(demo.detected());
    EXPECT_EQ(played(SoundPlayer::Sound::hero), 1);
    EXPECT_EQ(demo.title(), QStringLiteral("You're all set!"));
    EXPECT_EQ(demo.summary(), QStringLiteral("1 session detected"));
    EXPECT_EQ(demo.primaryButton()->text(), QStringLiteral("Open Halvane"));
    EXPECT_EQ(demo.secondaryButton(), nullptr);
    EXPECT_TRUE(demo.confetti()->animating());
    snapshot(QStringLiteral("onboarding-4-demo-detected"));

    addSession("second");
    EXPECT_EQ(demo.summary(), QStringLiteral("2 sessions detected"));
    EXPECT_EQ(played(SoundPlayer::Sound::hero), 1);
    EXPECT_EQ(demo.confettiTrigger(), 2);
    EXPECT_EQ(DemoStepView::summaryText(0), QStringLiteral("0 sessions detected"));
}

TEST_F(OnboardingGuiTest, FirstRunWalksThroughToInstalledHooks) {
    m_trusted = true;
    const test::LogCapture log;
    m_controller.showIfNeeded(m_store);
    ASSERT_TRUE(waitUntil([&] { return m_controller.isOpen(); }));
    settle();
    snapshot(QStringLiteral("onboarding-1-welcome"));
    step<WelcomeStepView>(Step::welcome).primaryButton()->click();
    settle();
    step<HooksStepView>(Step::hooks).primaryButton()->click();
    ASSERT_TRUE(waitUntil([&] { return flow().step() == Step::permissions; }));
    settle();
    step<PermissionsStepView>(Step::permissions).primaryButton()->click();
    settle();

    auto& demo = step<DemoStepView>(Step::demo);
    EXPECT_EQ(demo.title(), QStringLiteral("Try it out"));
    EXPECT_EQ(demo.primaryButton()->text(), QStringLiteral("I'll do this later"));
    EXPECT_FALSE(demo.detected());
    snapshot(QStringLiteral("onboarding-4-demo-waiting"));
    addSession("live");
    EXPECT_TRUE(demo.detected()) << "a session arriving is noticed at once";

    demo.primaryButton()->click();
    EXPECT_FALSE(m_controller.isOpen());
    EXPECT_TRUE(m_preferences.onboardingCompleted());
    EXPECT_TRUE(HooksInstaller::isInstalled());
    EXPECT_TRUE(hasLine(log, "Halvane: ok: hooks already installed"));
}

TEST_F(OnboardingGuiTest, AReadyMachineSkipsOnboardingAndRefreshesTheHooks) {
    HooksInstaller::installIfNeeded();
    AutostartEntry::install();
    m_trusted = true;
    const test::LogCapture log;
    m_controller.showIfNeeded(m_store);
    EXPECT_TRUE(m_preferences.onboardingCompleted());
    EXPECT_TRUE(hasLine(log, "Halvane: ok: hooks already installed"));
    test::guiApplication().processEvents();
    EXPECT_FALSE(m_controller.isOpen());
}

TEST_F(OnboardingGuiTest, ReturnPressesTheEnabledPrimaryButton) {
    open();
    QTest::keyClick(&view(), Qt::Key_Return);
    EXPECT_EQ(flow().step(), Step::hooks);
}

}  // namespace
}  // namespace halvane
