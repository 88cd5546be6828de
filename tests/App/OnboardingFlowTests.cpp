#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTimer>

#include <algorithm>

#include <chrono>

#include "Halvane/App/Shell/AutostartEntry.h"
#include "Halvane/App/Shell/FirstRun.h"
#include "Halvane/App/Shell/OnboardingFeedback.h"
#include "Halvane/App/Shell/OnboardingFlow.h"
#include "Halvane/Sessions/HooksInstaller.h"
#include "QtTestEnvironment.h"
#include "ShellFixture.h"

namespace halvane {
namespace {

using namespace std::chrono_literals;
using Step = OnboardingFlow::Step;

class OnboardingFlowTest : public test::ShellFixture {
protected:
    OnboardingFlowTest() { test::qtApplication(); }

    std::unique_ptr<OnboardingFlow> makeFlow(std::chrono::milliseconds poll = 500ms) {
        return std::make_unique<OnboardingFlow>(
            m_store, m_preferences, [this] { return m_trusted; }, poll);
    }

    bool everythingSetUp() {
        return OnboardingFlow::everythingAlreadySetUp([this] { return m_trusted; });
    }
};

TEST_F(OnboardingFlowTest, StepsGoForwardAndBackOneAtATimeWithinTheFour) {
    // The numbers a step is stored as.
    EXPECT_EQ(static_cast<int>(Step::welcome), 0);
    EXPECT_EQ(static_cast<int>(Step::demo), 3);

    auto flow = makeFlow();
    QSignalSpy changes(flow.get(), &OnboardingFlow::stepChanged);
    EXPECT_EQ(flow->step(), Step::welcome);
    flow->goBack();
    EXPECT_EQ(flow->step(), Step::welcome);
    EXPECT_EQ(changes.count(), 0);

    flow->advance();
    EXPECT_EQ(flow->step(), Step::hooks);
    flow->advance();
    flow->advance();
    EXPECT_EQ(flow->step(), Step::demo);
    EXPECT_EQ(changes.count(), 3);
    flow->advance();
    EXPECT_EQ(flow->step(), Step::demo);
    EXPECT_EQ(changes.count(), 3);
    flow->goBack();
    EXPECT_EQ(flow->step(), Step::permissions);
}

TEST_F(OnboardingFlowTest, AStoredStepIsResumedOnceAndAnythingElseIsLeftAlone) {
    m_preferences.setOnboardingResumeAt(2);
    EXPECT_EQ(makeFlow()->step(), Step::permissions);
    EXPECT_FALSE(m_preferences.hasOnboardingResumeAt());
    EXPECT_EQ(test::readFile(m_preferences.filePath().toStdString()).find("resumeAt"),
              std::string::npos)
        << "the removal reached the file";
    EXPECT_EQ(makeFlow()->step(), Step::welcome);

    m_preferences.setOnboardingResumeAt(7);
    EXPECT_EQ(makeFlow()->step(), Step::welcome);
    EXPECT_EQ(m_preferences.onboardingResumeAt(), 7);
}

TEST_F(OnboardingFlowTest, StatusIsReadAtCreationAndRefreshedOnlyWhenItChanges) {
    auto flow = makeFlow();
    EXPECT_FALSE(flow->hooksInstalled());
    EXPECT_FALSE(flow->autostartInstalled());
    EXPECT_FALSE(flow->accessibilityGranted());
    EXPECT_FALSE(flow->startedWithAccessibility());
    QSignalSpy changes(flow.get(), &OnboardingFlow::statusChanged);

    flow->refreshStatus();
    EXPECT_EQ(changes.count(), 0);

    m_trusted = true;
    ASSERT_EQ(HooksInstaller::installIfNeeded().outcome, HooksResult::Outcome::installed);
    ASSERT_TRUE(AutostartEntry::install());
    flow->refreshStatus();
    EXPECT_EQ(changes.count(), 1);
    EXPECT_TRUE(flow->hooksInstalled());
    EXPECT_TRUE(flow->autostartInstalled());
    EXPECT_TRUE(flow->accessibilityGranted());
    EXPECT_FALSE(flow->startedWithAccessibility()) << "fixed when the flow began";

    flow->refreshStatus();
    EXPECT_EQ(changes.count(), 1);
    EXPECT_TRUE(makeFlow()->startedWithAccessibility());
}

TEST_F(OnboardingFlowTest, ThePollNoticesChangesUntilStopped) {
    auto flow = makeFlow(10ms);
    flow->startPollingStatus();
    flow->startPollingStatus();
    const auto timers = flow->findChildren<QTimer*>();
    EXPECT_EQ(std::count_if(timers.begin(), timers.end(),
                            [](const QTimer* timer) { return timer->isActive(); }),
              1)
        << "a restart replaces the timer";
    EXPECT_TRUE(flow->isPollingStatus());

    m_trusted = true;
    EXPECT_TRUE(test::waitUntil([&] { return flow->accessibilityGranted(); }));
    ASSERT_TRUE(AutostartEntry::install());
    EXPECT_TRUE(test::waitUntil([&] { return flow->autostartInstalled(); }));

    flow->stopPollingStatus();
    EXPECT_FALSE(flow->isPollingStatus());
}

TEST_F(OnboardingFlowTest, EverythingIsSetUpOnlyWithHooksAutostartAndTrust) {
    EXPECT_FALSE(everythingSetUp());
    HooksInstaller::installIfNeeded();
    AutostartEntry::install();
    EXPECT_FALSE(everythingSetUp()) << "not trusted";
    m_trusted = true;
    EXPECT_TRUE(everythingSetUp());
    AutostartEntry::uninstall();
    EXPECT_FALSE(everythingSetUp()) << "no autostart entry";
    AutostartEntry::install();
    HooksInstaller::uninstall();
    EXPECT_FALSE(everythingSetUp()) << "no hooks";
}

TEST_F(OnboardingFlowTest, FirstRunResumesFirstThenSkipsOnboardingForAReadyMachine) {
    int asked = 0;
    const auto ready = [&] {
        ++asked;
        return true;
    };
    const auto bare = [&] {
        ++asked;
        return false;
    };

    m_preferences.setOnboardingCompleted(true);
    m_preferences.setOnboardingResumeAt(2);
    EXPECT_EQ(FirstRun::decide(m_preferences, ready), FirstRun::Action::showOnboarding);
    EXPECT_EQ(asked, 0);

    m_preferences.removeOnboardingResumeAt();
    EXPECT_EQ(FirstRun::decide(m_preferences, bare), FirstRun::Action::installHooks);
    EXPECT_EQ(asked, 0) << "already onboarded";

    m_preferences.removeOnboardingCompleted();
    EXPECT_EQ(FirstRun::decide(m_preferences, bare), FirstRun::Action::showOnboarding);
    EXPECT_FALSE(m_preferences.onboardingCompleted());
    EXPECT_EQ(FirstRun::decide(m_preferences, ready), FirstRun::Action::installHooks);
    EXPECT_NE(
        test::readFile(m_preferences.filePath().toStdString()).find("onboarding.completed=true"),
        std::string::npos);
}

TEST_F(OnboardingFlowTest, FeedbackChimesOnlyWhileSoundsAreOn) {
    OnboardingFeedback feedback(m_sounds, m_preferences);
    feedback.success();
    feedback.celebrate();
    EXPECT_EQ(m_sounds.played, (std::vector<SoundPlayer::Sound>{SoundPlayer::Sound::glass,
                                                                SoundPlayer::Sound::hero}));
    m_preferences.setSoundsEnabled(false);
    feedback.success();
    feedback.celebrate();
    EXPECT_EQ(m_sounds.played.size(), 2u);
}

TEST_F(OnboardingFlowTest, OnboardingPreferencesUseTheProductsKeys) {
    m_preferences.setOnboardingCompleted(true);
    m_preferences.setOnboardingResumeAt(2);
    m_preferences.setAutomaticChecksEnabled(false);
    const std::string file = test::readFile(m_preferences.filePath().toStdString());
    EXPECT_NE(file.find("onboarding.completed=true"), std::string::npos) << file;
    EXPECT_NE(file.find("onboarding.resumeAt=2"), std::string::npos) << file;
    EXPECT_NE(file.find("SUEnableAutomaticChecks=false"), std::string::npos) << file;

    Preferences fresh(QString::fromStdString((m_root / "fresh.conf").string()));
    EXPECT_FALSE(fresh.onboardingCompleted());
    EXPECT_FALSE(fresh.hasOnboardingResumeAt());
    EXPECT_TRUE(fresh.automaticChecksEnabled());
}

}  // namespace
}  // namespace halvane
