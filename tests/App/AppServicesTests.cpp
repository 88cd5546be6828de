// The launch: every long-lived object is built, the first-run decision either
// installs the hooks or waits for onboarding, and a hook server that cannot
// start is reported without stopping the rest.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "AgentProcess.h"
#include "ChildProcess.h"
#include "Files.h"
#include "GuiTestSupport.h"
#include "Halvane/App/AppLaunchSnapshot.h"
#include "Halvane/App/AppServices.h"
#include "Halvane/App/ServingProblemCard.h"
#include "Halvane/App/TrayMenu.h"
#include "Halvane/Notch/NotchController.h"
#include "Halvane/Platform/posix/RuntimeDirectory.h"
#include "Halvane/Platform/posix/UnixSocket.h"
#include "Halvane/Sessions/HookServer.h"
#include "Halvane/Sessions/HookServerKeeper.h"
#include "Halvane/Sessions/Preferences.h"
#include "Halvane/Sessions/SessionScanner.h"
#include "Halvane/Sessions/SessionStore.h"
#include "LogCapture.h"
#include "Polling.h"
#include "TempDir.h"

namespace halvane::test {
namespace {

class AppServicesTest : public ::testing::Test {
protected:
    AppServicesTest() {
        guiApplication();
        ::setenv("CLAUDE_CONFIG_DIR", claude.path().c_str(), 1);
        Preferences preferences;
        preferences.removeOnboardingCompleted();
        preferences.removeOnboardingResumeAt();
    }
    ~AppServicesTest() override { ::unsetenv("CLAUDE_CONFIG_DIR"); }

    AppServices::Options options() const {
        AppServices::Options made;
        made.runtimeDirectory = (folder / "run").string();
        made.socketPath = (folder / "halvane.sock").string();
        made.serveRetry = std::chrono::milliseconds(50);
        return made;
    }
    std::string settings() const { return readFile(claude / "settings.json"); }

    TempDir claude{"claude"};
    TempDir folder{"socket"};
};

TEST_F(AppServicesTest, AFirstLaunchWaitsForOnboardingBeforeInstallingHooks) {
    const LogCapture log;
    AppServices delegate(options());
    delegate.start();

    ASSERT_NE(delegate.sessions(), nullptr);
    ASSERT_NE(delegate.notchController(), nullptr);
    EXPECT_NE(delegate.notchController()->notch(), nullptr) << "the controller was started";
    EXPECT_NE(delegate.scanner(), nullptr);
    ASSERT_NE(delegate.server(), nullptr);
    EXPECT_TRUE(accepts(options().socketPath));

    EXPECT_TRUE(
        log.contains("Halvane: first run: onboarding is needed before the hooks are installed"));
    EXPECT_FALSE(delegate.preferences().onboardingCompleted());
    EXPECT_FALSE(std::filesystem::exists(claude / "settings.json"));
    // No display here, so nothing can be brought to the front.
    EXPECT_FALSE(AppLaunchSnapshot::accessibilityWasGranted());
}

TEST_F(AppServicesTest, AnOnboardedMachineGetsItsHooksAtLaunch) {
    Preferences().setOnboardingCompleted(true);
    const LogCapture log;
    AppServices delegate(options());
    delegate.start();

    const std::string relay = binaryDirectory() + "/halvane-hook";
    EXPECT_TRUE(log.contains("Halvane: installed hooks → " + relay));
    EXPECT_NE(settings().find(relay), std::string::npos);
    EXPECT_NE(settings().find("halvane-managed"), std::string::npos);
}

TEST_F(AppServicesTest, AnInterruptedOnboardingIsResumedEvenWhenCompleted) {
    Preferences preferences;
    preferences.setOnboardingCompleted(true);
    preferences.setOnboardingResumeAt(2);
    const LogCapture log;
    AppServices delegate(options());
    delegate.start();

    EXPECT_TRUE(
        log.contains("Halvane: first run: onboarding is needed before the hooks are installed"));
    EXPECT_FALSE(std::filesystem::exists(claude / "settings.json"));
}

TEST_F(AppServicesTest, AServerThatCannotListenIsShownAndRetriedWhileTheRestRuns) {
    AppServices::Options unreachable = options();
    unreachable.socketPath = (folder / "missing" / "halvane.sock").string();
    const LogCapture log;
    AppServices delegate(unreachable);
    delegate.start();

    ASSERT_NE(delegate.server(), nullptr) << "kept even though it failed";
    EXPECT_EQ(delegate.server()->serverFD(), -1);
    bool reported = false;
    for (const auto& line : log.lines()) {
        reported = reported || line.rfind("Halvane: failed to start hook server: ", 0) == 0;
    }
    EXPECT_TRUE(reported);
    EXPECT_NE(delegate.notchController()->notch(), nullptr);
    EXPECT_NE(delegate.scanner(), nullptr);
    // On screen, not only in the log; and it keeps trying instead of running deaf.
    EXPECT_TRUE(delegate.problemCard()->isVisible());
    EXPECT_TRUE(
        delegate.problemCard()->problem().contains(QString::fromStdString(unreachable.socketPath)));
    std::filesystem::create_directory(folder / "missing");
    EXPECT_TRUE(waitUntil([&] { return accepts(unreachable.socketPath); }));
    EXPECT_TRUE(waitUntil([&] { return !delegate.problemCard()->isVisible(); }));
    EXPECT_TRUE(delegate.serving()->problem().isEmpty());
}

TEST_F(AppServicesTest, ALiveSocketOfOursIsLeftAloneAndAStaleOneIsReplaced) {
    const std::string path = options().socketPath;
    const int running = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const auto address = unix_socket::address(path);
    ASSERT_EQ(::bind(running, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(running, 4), 0);
    AppServices delegate(options());
    delegate.start();
    EXPECT_TRUE(delegate.serving()->problem().contains(QStringLiteral("already serves")))
        << delegate.serving()->problem().toStdString();
    EXPECT_EQ(delegate.server()->serverFD(), -1);

    // That Halvane crashed, leaving its socket file: this one takes over.
    ::close(running);
    EXPECT_TRUE(waitUntil([&] { return delegate.server()->serverFD() >= 0; }));
    EXPECT_TRUE(accepts(path));
    EXPECT_TRUE(delegate.serving()->problem().isEmpty());
}

TEST_F(AppServicesTest, AnUnsafeRuntimeFolderIsRefusedWithTheReason) {
    AppServices::Options unsafe = options();
    std::filesystem::create_directory(unsafe.runtimeDirectory);
    std::filesystem::permissions(unsafe.runtimeDirectory, std::filesystem::perms(0755));
    unsafe.socketPath = runtime_directory::hookSocketIn(unsafe.runtimeDirectory);
    AppServices delegate(unsafe);
    delegate.start();
    const std::string problem = delegate.serving()->problem().toStdString();
    EXPECT_NE(problem.find("refusing " + unsafe.runtimeDirectory + ": other users can reach"),
              std::string::npos)
        << problem;
    EXPECT_FALSE(accepts(unsafe.socketPath));

    std::filesystem::permissions(unsafe.runtimeDirectory, std::filesystem::perms(0700));
    EXPECT_TRUE(waitUntil([&] { return accepts(unsafe.socketPath); }));
}

TEST_F(AppServicesTest, AClickOnTheTrayIconOpensTheSessionList) {
    // An agent at work, found by the scanner from its transcript and process.
    const TempDir project("project");
    const TempDir bin("bin");
    const AgentProcess agent(AgentProcess::install(bin.path(), "claude"), project.path());
    const std::filesystem::path transcripts = claude / "projects" / "-project";
    std::filesystem::create_directories(transcripts);
    std::ofstream(transcripts / "s1.jsonl")
        << R"({"type":"user","cwd":")" << project.path().string()
        << R"(","message":{"role":"user","content":"Add the endpoint"}})"
        << "\n";

    Preferences().setOnboardingCompleted(true);
    TrayMenu tray;
    AppServices delegate(options());
    delegate.attachTray(tray);
    delegate.start();
    NotchController& controller = *delegate.notchController();
    ASSERT_TRUE(waitUntil([&] { return !delegate.sessions()->sessions().empty(); }));
    ASSERT_TRUE(
        waitUntil([&] { return controller.currentMode() != NotchController::Mode::hidden; }));
    EXPECT_EQ(controller.currentMode(), NotchController::Mode::compact);

    // The context menu's click does not open it; the icon's own click does.
    emit tray.icon().activated(QSystemTrayIcon::Context);
    EXPECT_EQ(controller.currentMode(), NotchController::Mode::compact);
    emit tray.icon().activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(controller.currentMode(), NotchController::Mode::expanded);
}

}  // namespace
}  // namespace halvane::test
