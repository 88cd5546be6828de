#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QTest>

#include <chrono>
#include <filesystem>

#include "FeedServer.h"
#include "GuiTestSupport.h"
#include "Halvane/App/Shell/AboutTab.h"
#include "Halvane/App/Shell/AccessibilityRow.h"
#include "Halvane/App/Shell/AllowedRulesCard.h"
#include "Halvane/App/Shell/ConfirmationSheet.h"
#include "Halvane/App/Shell/ConnectionTab.h"
#include "Halvane/App/Shell/FramelessWindow.h"
#include "Halvane/App/Shell/GeneralTab.h"
#include "Halvane/App/Shell/OnboardingButton.h"
#include "Halvane/App/Shell/OnboardingFlow.h"
#include "Halvane/App/Shell/OnboardingWindowController.h"
#include "Halvane/App/Shell/PermissionsTab.h"
#include "Halvane/App/Shell/SettingsCard.h"
#include "Halvane/App/Shell/SettingsTabBar.h"
#include "Halvane/App/Shell/SettingsView.h"
#include "Halvane/App/Shell/SettingsWindowController.h"
#include "Halvane/App/Shell/ShellMenu.h"
#include "Halvane/App/Shell/StartAtLoginAction.h"
#include "Halvane/App/Shell/ToggleSwitch.h"
#include "Halvane/App/Shell/UpdateCheckDialog.h"
#include "Halvane/App/Shell/UpdaterManager.h"
#include "Halvane/Notch/Components/SettingRow.h"
#include "Halvane/Notch/Components/StatusPill.h"
#include "LogCapture.h"
#include "ShellFixture.h"

namespace halvane {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::render;
using test::waitUntil;

constexpr auto kSettingsWithRules = R"json({
  "model": "opus",
  "permissions": {"allow": ["Bash(npm test:*)", "Read(src/**)", "WebFetch"]}
})json";

// Made before the fixture's members: a server made without an application
// never hears of its connections.
struct WithApplication {
    WithApplication() { test::guiApplication(); }
};

class SettingsGuiTest : public WithApplication, public test::ShellFixture {
protected:
    SettingsGuiTest() { m_settingsController.setSessions(&m_store); }

    SettingsView& open() {
        m_settingsController.show();
        EXPECT_TRUE(m_settingsController.isOpen());
        return *m_settingsController.view();
    }
    QImage snapshot(const QString& name) const {
        return render(*m_settingsController.window(), name);
    }
    ConnectionTab& connection() {
        SettingsView& view = open();
        view.setTab(SettingsTab::connection);
        return *view.connectionTab();
    }

    test::FeedServer m_server;
    UpdaterManager m_updater{m_preferences,
                             [this](const QUrl& url) { m_openedUrls.push_back(url); },
                             m_server.url(), QStringLiteral("0.1.0"), 10ms};
    OnboardingWindowController m_onboarding{services()};
    SettingsWindowController m_settingsController{services(), m_onboarding, &m_updater,
                                                  SettingsTimings{30ms, 20ms, 10ms}};
};

TEST_F(SettingsGuiTest, OneWindowOfTheRightSizeReusedAfterClosing) {
    SettingsView& view = open();
    FramelessWindow* window = m_settingsController.window();
    EXPECT_EQ(window->size(), QSize(720, 580));
    const QRect visible = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((window->geometry().center() - visible.center()).manhattanLength(), 2);
    EXPECT_EQ(view.versionLine(), QStringLiteral("Halvane \u00b7 v0.1.0"));
    EXPECT_EQ(view.closeButton()->toolTip(), QStringLiteral("Close"));

    m_settingsController.show();
    EXPECT_EQ(m_settingsController.window(), window);
    view.closeButton()->click();
    EXPECT_FALSE(m_settingsController.isOpen());
    m_settingsController.show();
    EXPECT_EQ(m_settingsController.window(), window);
    EXPECT_TRUE(m_settingsController.isOpen());
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_FALSE(m_settingsController.isOpen());
}

TEST_F(SettingsGuiTest, WithoutAStoreNothingOpens) {
    m_settingsController.setSessions(nullptr);
    const test::LogCapture log;
    m_settingsController.show();
    EXPECT_EQ(m_settingsController.window(), nullptr);
    EXPECT_TRUE(log.contains("SettingsWindow.show: no sessions store bound"));
}

TEST_F(SettingsGuiTest, TheTabBarListsFourTabsAndSwitchesBetweenThem) {
    HooksInstaller::installIfNeeded();
    writeSettings(kSettingsWithRules);
    HooksInstaller::installIfNeeded();
    SettingsView& view = open();
    EXPECT_EQ(view.tab(), SettingsTab::general);
    const QStringList titles = {"General", "Connection", "Permissions", "About"};
    for (const SettingsTab tab : kSettingsTabs) {
        const int index = static_cast<int>(tab);
        SCOPED_TRACE(index);
        QAbstractButton* button = view.tabBar()->button(tab);
        EXPECT_EQ(button->text(), titles[index]);
        button->click();
        EXPECT_EQ(view.tab(), tab);
        EXPECT_TRUE(button->isChecked());
        const QImage image =
            snapshot(QStringLiteral("settings-%1-%2").arg(index + 1).arg(titles[index].toLower()));
        EXPECT_EQ(image.size(), QSize(720, 580));
    }
    EXPECT_TRUE(view.aboutTab()->isVisible());
    EXPECT_FALSE(view.generalTab()->isVisible());
}

TEST_F(SettingsGuiTest, GeneralSwitchesWriteTheirChoiceAndReplayReopensOnboarding) {
    GeneralTab& general = *open().generalTab();
    EXPECT_TRUE(general.soundsSwitch()->isChecked());
    general.soundsSwitch()->click();
    EXPECT_FALSE(m_preferences.soundsEnabled());
    EXPECT_FALSE(general.soundsRow()->statusOn());

    EXPECT_FALSE(general.loginSwitch()->isChecked());
    general.loginSwitch()->click();
    EXPECT_TRUE(AutostartEntry::isInstalled());
    EXPECT_TRUE(general.loginRow()->statusOn());
    general.loginSwitch()->click();
    EXPECT_FALSE(AutostartEntry::isInstalled());

    // An entry that cannot be written leaves the switch off.
    fs::remove_all(AutostartEntry::entryPath().parent_path());
    test::writeFile(AutostartEntry::entryPath().parent_path(), "in the way");
    general.loginSwitch()->click();
    EXPECT_FALSE(general.loginSwitch()->isChecked());
    fs::remove(AutostartEntry::entryPath().parent_path());

    m_preferences.setOnboardingCompleted(true);
    m_preferences.setOnboardingResumeAt(3);
    general.replayButton()->click();
    EXPECT_FALSE(m_preferences.hasOnboardingResumeAt());
    EXPECT_FALSE(m_preferences.onboardingCompleted());
    EXPECT_FALSE(m_settingsController.isOpen());
    ASSERT_TRUE(waitUntil([&] { return m_onboarding.isOpen(); }));
    EXPECT_EQ(m_onboarding.flow()->step(), OnboardingFlow::Step::welcome);
}

TEST_F(SettingsGuiTest, RevokingARuleTakesItOutOfClaudeCodesSettings) {
    writeSettings(kSettingsWithRules);
    ConnectionTab& tab = connection();
    AllowedRulesCard& rules = *tab.rulesCard();
    EXPECT_EQ(rules.countText(), QStringLiteral("3"));
    QWidget* revoke = rules.revokeButton("Read(src/**)");
    ASSERT_NE(revoke, nullptr);
    static_cast<QAbstractButton*>(revoke)->click();

    EXPECT_EQ(HooksInstaller::currentAllowPatterns(),
              (std::vector<std::string>{"Bash(npm test:*)", "WebFetch"}));
    EXPECT_NE(settingsText().find("\"model\": \"opus\""), std::string::npos) << settingsText();
    ASSERT_TRUE(waitUntil([&] { return rules.revokeButton("Read(src/**)") == nullptr; }));
    EXPECT_EQ(rules.countText(), QStringLiteral("2"));

    static_cast<QAbstractButton*>(rules.revokeButton("Bash(npm test:*)"))->click();
    static_cast<QAbstractButton*>(rules.revokeButton("WebFetch"))->click();
    EXPECT_TRUE(HooksInstaller::currentAllowPatterns().empty());
    EXPECT_TRUE(rules.showsEmptyState());
}

TEST_F(SettingsGuiTest, UninstallAsksFirstAndCancellingTouchesNothing) {
    writeSettings(
        R"({"hooks": {"Stop": [{"hooks": [{"type": "command", "command": "say done"}]}]}})");
    HooksInstaller::installIfNeeded();
    ConnectionTab& tab = connection();
    EXPECT_TRUE(tab.hooksInstalled());
    EXPECT_EQ(tab.hookCard()->detail(), QStringLiteral("Claude Code is wired up to Halvane."));
    EXPECT_EQ(tab.installButton()->text(), QStringLiteral("Reinstall"));
    EXPECT_EQ(tab.hookPathText().toStdString(), (m_root / "app" / "halvane-hook").string());
    const std::string before = settingsText();

    tab.uninstallButton()->click();
    ConfirmationSheet& sheet = *m_settingsController.view()->sheet();
    ASSERT_TRUE(sheet.asking());
    EXPECT_EQ(sheet.title(), QStringLiteral("Uninstall Halvane hooks from Claude Code?"));
    EXPECT_EQ(sheet.message(), QStringLiteral("Claude Code will stop talking to Halvane. Your "
                                              "other hooks are left untouched."));
    snapshot(QStringLiteral("settings-uninstall-confirmation"));
    sheet.cancelButton()->click();
    EXPECT_FALSE(sheet.asking());
    EXPECT_EQ(settingsText(), before);

    tab.uninstallButton()->click();
    QTest::keyClick(&sheet, Qt::Key_Escape);
    EXPECT_EQ(settingsText(), before);

    tab.uninstallButton()->click();
    sheet.actionButton()->click();
    EXPECT_FALSE(HooksInstaller::isInstalled());
    EXPECT_NE(settingsText().find("say done"), std::string::npos);
    EXPECT_FALSE(tab.hooksInstalled());
    EXPECT_EQ(tab.installButton()->text(), QStringLiteral("Install hooks"));
    EXPECT_FALSE(tab.uninstallButton()->isVisibleTo(&tab));

    tab.installButton()->click();
    EXPECT_TRUE(HooksInstaller::isInstalled());
    EXPECT_TRUE(tab.hooksInstalled());
}

TEST_F(SettingsGuiTest, AnInstallThatCannotWriteSaysWhyInsteadOfChiming) {
    // Rewriting would drop one of the two values, so the file is refused.
    const std::string refused = R"({"model": "opus", "model": "sonnet"})";
    writeSettings(refused);
    ConnectionTab& tab = connection();
    tab.installButton()->click();
    EXPECT_EQ(tab.failureText(),
              QStringLiteral("Couldn't change Claude Code's settings: %1 holds the key "
                             "\"model\" twice in one object")
                  .arg(QString::fromStdString(m_settings.string())));
    EXPECT_EQ(played(SoundPlayer::Sound::glass), 0);
    EXPECT_FALSE(tab.hooksInstalled());
    EXPECT_EQ(tab.installButton()->text(), QStringLiteral("Install hooks"));
    EXPECT_EQ(settingsText(), refused);
    snapshot(QStringLiteral("settings-connection-install-failed"));

    // Once the file can be edited, the next press works and the failure goes.
    writeSettings(R"({"model": "opus"})");
    tab.installButton()->click();
    EXPECT_TRUE(tab.failureText().isEmpty());
    EXPECT_TRUE(tab.hooksInstalled());
    EXPECT_EQ(played(SoundPlayer::Sound::glass), 1);
}

TEST_F(SettingsGuiTest, RestoringTheBackupRemovesItsCard) {
    writeSettings(R"({"theme": "dark"})");
    HooksInstaller::installIfNeeded();
    ASSERT_TRUE(fs::exists(m_backup));
    ConnectionTab& tab = connection();
    ASSERT_TRUE(tab.backupCard()->isVisibleTo(&tab));

    tab.restoreButton()->click();
    ConfirmationSheet& sheet = *m_settingsController.view()->sheet();
    EXPECT_EQ(sheet.title(), QStringLiteral("Restore Claude Code settings from backup?"));
    sheet.actionButton()->click();
    EXPECT_FALSE(fs::exists(m_backup));
    EXPECT_EQ(test::readFile(m_settings), "{\"theme\": \"dark\"}");
    ASSERT_TRUE(waitUntil([&] { return !tab.backupCard()->isVisibleTo(&tab); }));
}

TEST_F(SettingsGuiTest, TheConnectionTabFollowsTheFileWhileShown) {
    ConnectionTab& tab = connection();
    EXPECT_TRUE(tab.polling());
    EXPECT_FALSE(tab.hooksInstalled());
    writeSettings(R"({"theme": "dark"})");
    HooksInstaller::installIfNeeded();
    ASSERT_TRUE(waitUntil([&] { return tab.backupCard()->isVisibleTo(&tab); }));
    EXPECT_TRUE(tab.hooksInstalled());
    fs::remove(m_backup);
    ASSERT_TRUE(waitUntil([&] { return !tab.backupCard()->isVisibleTo(&tab); }));

    m_settingsController.view()->setTab(SettingsTab::general);
    EXPECT_FALSE(tab.polling());
}

TEST_F(SettingsGuiTest, PermissionsFollowTheWindowManagerWhileShown) {
    SettingsView& view = open();
    view.setTab(SettingsTab::permissions);
    PermissionsTab& tab = *view.permissionsTab();
    AccessibilityRow& row = *tab.row();
    EXPECT_TRUE(tab.polling());
    EXPECT_EQ(row.row()->title(), QStringLiteral("Accessibility access"));
    EXPECT_TRUE(row.openSettingsButton()->isVisibleTo(&row));
    row.openSettingsButton()->click();
    EXPECT_EQ(m_accessibilitySettings.opened, 1);

    m_trusted = true;
    ASSERT_TRUE(waitUntil([&] { return row.restartButton()->isVisibleTo(&row); }));
    EXPECT_EQ(row.row()->detail(), AccessibilityRow::restartDetail());
    row.restartButton()->click();
    EXPECT_EQ(m_relaunches, 1);
    EXPECT_EQ(played(SoundPlayer::Sound::glass), 0);

    // Lost and regained by an application that had it at launch: welcome back.
    m_trustedAtLaunch = true;
    m_trusted = false;
    ASSERT_TRUE(waitUntil([&] { return !tab.accessibilityGranted(); }));
    m_trusted = true;
    ASSERT_TRUE(waitUntil([&] { return row.grantedPill()->isVisibleTo(&row); }));
    EXPECT_TRUE(row.row()->statusOn());
    EXPECT_EQ(played(SoundPlayer::Sound::glass), 1);

    view.setTab(SettingsTab::about);
    EXPECT_FALSE(tab.polling());
}

TEST_F(SettingsGuiTest, AboutShowsTheVersionAndChecksForUpdatesOnRequest) {
    SettingsView& view = open();
    view.setTab(SettingsTab::about);
    AboutTab& about = *view.aboutTab();
    EXPECT_EQ(about.versionText(), QStringLiteral("Version 0.1.0"));
    EXPECT_EQ(about.updatesCard()->detail(),
              QStringLiteral("Halvane checks for updates in the background."));
    about.autoCheckSwitch()->click();
    EXPECT_FALSE(m_preferences.automaticChecksEnabled());
    EXPECT_EQ(about.updatesCard()->detail(),
              QStringLiteral("Automatic update checks are disabled."));

    m_server.serve(200,
                   "<rss><channel><item><title>Halvane 0.2.0</title>"
                   "<version>0.2.0</version><link>https://example.org/get</link>"
                   "</item></channel></rss>");
    about.checkNowButton()->click();
    UpdateCheckDialog* dialog = m_updater.dialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(waitUntil([&] { return dialog->state() != UpdateCheckDialog::State::checking; }));
    EXPECT_EQ(dialog->state(), UpdateCheckDialog::State::updateAvailable);
    EXPECT_EQ(dialog->title(), QStringLiteral("Halvane 0.2.0 is available"));
    EXPECT_TRUE(dialog->message().contains(QStringLiteral("package manager")));
    render(*m_updater.dialogWindow(), QStringLiteral("update-available"));
    dialog->primaryButton()->click();
    ASSERT_EQ(m_openedUrls.size(), 1u);
    EXPECT_EQ(m_openedUrls[0], QUrl("https://example.org/get"));
    EXPECT_EQ(m_updater.dialog(), nullptr);

    about.quitButton()->click();
    EXPECT_EQ(m_quits, 1);
}

TEST_F(SettingsGuiTest, ABuildWithoutAFeedSaysUpdateChecksAreOff) {
    UpdaterManager unconfigured(m_preferences, {}, QUrl(), QStringLiteral("0.1.0"));
    const ShellServices shell = services();
    AboutTab about(shell, &unconfigured);
    EXPECT_TRUE(about.updatesCard()->detail().contains(QStringLiteral("no update feed")));
    EXPECT_FALSE(about.autoCheckSwitch()->isEnabled());
    EXPECT_FALSE(about.checkNowButton()->isEnabled());

    unconfigured.checkForUpdates();
    ASSERT_NE(unconfigured.dialog(), nullptr);
    EXPECT_EQ(unconfigured.dialog()->state(), UpdateCheckDialog::State::unavailable);
    EXPECT_EQ(m_server.requests(), 0);
}

TEST_F(SettingsGuiTest, TheTrayMenuGetsSettingsAndStartAtLoginBeforeQuit) {
    QMenu menu;
    QAction* quit = menu.addAction(QStringLiteral("Quit Halvane"));
    int settingsShown = 0;
    StartAtLoginAction* login = ShellMenu::addItems(menu, quit, [&] { ++settingsShown; });
    const QList<QAction*> actions = menu.actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Settings\u2026"));
    EXPECT_EQ(actions[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2], login);
    EXPECT_TRUE(actions[3]->isSeparator());
    EXPECT_EQ(actions[4], quit);

    actions[0]->trigger();
    EXPECT_EQ(settingsShown, 1);
    EXPECT_EQ(login->text(), QStringLiteral("Start at login"));
    login->trigger();
    EXPECT_TRUE(AutostartEntry::isInstalled());
    EXPECT_EQ(login->text(), QStringLiteral("Disable start at login"));
    login->trigger();
    EXPECT_EQ(login->text(), QStringLiteral("Start at login"));

    // Changed behind the menu's back: it re-reads as it opens.
    AutostartEntry::install();
    emit menu.aboutToShow();
    EXPECT_EQ(login->text(), QStringLiteral("Disable start at login"));
}

TEST(AppIcon, TheShippedIconDrawsTheLogo) {
    test::guiApplication();
    QSvgRenderer icon(QString::fromLatin1(HALVANE_SOURCE_DIR) +
                      QStringLiteral("/data/icons/hicolor/scalable/apps/app.halvane.Halvane.svg"));
    ASSERT_TRUE(icon.isValid());
    QImage image(256, 256, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    icon.render(&painter);
    painter.end();
    // Orange glass, the dark notch at the top middle, the white mark, and
    // nothing outside the screen's outline.
    const QColor glass = image.pixelColor(48, 200);
    EXPECT_GT(glass.red(), 180);
    EXPECT_LT(glass.blue(), 140);
    EXPECT_LT(image.pixelColor(128, 80).lightness(), 40);
    EXPECT_GT(image.pixelColor(128, 152).lightness(), 220);
    EXPECT_EQ(image.pixelColor(128, 10).alpha(), 0);
}

}  // namespace
}  // namespace halvane
