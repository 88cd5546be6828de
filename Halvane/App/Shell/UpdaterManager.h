#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>

#include "Halvane/App/Shell/FramelessWindow.h"
#include "Halvane/App/Shell/UpdateCheckResult.h"

class QTimer;

namespace halvane {

class Preferences;
class UpdateCheckDialog;
class UpdateChecker;

// Halvane's software updates: one quiet look at the update feed shortly after
// launch when automatic checks are on (it speaks up only when a newer version
// exists), and a check with a window when the user asks for one. The feed's
// address is fixed when Halvane is built; a build without one has update
// checks off. Installing is left to the package manager.
class UpdaterManager final : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kLaunchCheckDelay{3000};

    // (title, message) of the notice that a newer version is out.
    using Notify = std::function<void(const QString& title, const QString& message)>;
    using OpenUrl = std::function<void(const QUrl&)>;

    // The feed this build was made with; empty when update checks are off.
    static QUrl buildAppcast();
    static QString buildVersion();

    UpdaterManager(Preferences& preferences, OpenUrl openUrl, QUrl appcast = buildAppcast(),
                   QString currentVersion = buildVersion(),
                   std::chrono::milliseconds launchCheckDelay = kLaunchCheckDelay,
                   QObject* parent = nullptr);
    ~UpdaterManager() override;

    bool updatesConfigured() const { return !m_appcast.isEmpty(); }
    // Whether start() left a quiet check waiting.
    bool launchCheckPending() const;
    const QString& currentVersion() const { return m_currentVersion; }

    // At launch: when automatic checks are on, one quiet check after the
    // launch delay, which calls `notify` if a newer version exists.
    void start(Notify notify);
    bool automaticallyChecksForUpdates() const;
    void checkForUpdatesInBackground();
    // Opens (or brings forward) the update window and checks again.
    void checkForUpdates();

    // The window of the last check the user asked for, while it is open.
    UpdateCheckDialog* dialog() const;
    FramelessWindow* dialogWindow() const { return m_window; }

    // The notice of a newer version, as the tray shows it.
    static QString noticeTitle(const UpdateCheckResult& result);
    static QString noticeMessage(const UpdateCheckResult& result);

signals:
    // After every check, quiet or not; also when one was not possible.
    void checkFinished(const UpdateCheckResult& result);

private:
    void closeDialog();
    UpdateChecker* checker();

    Preferences& m_preferences;
    OpenUrl m_openUrl;
    QUrl m_appcast;
    QString m_currentVersion;
    std::chrono::milliseconds m_launchCheckDelay;
    Notify m_notify;
    UpdateChecker* m_checker = nullptr;
    QTimer* m_launchCheck = nullptr;
    QPointer<FramelessWindow> m_window;
};

}  // namespace halvane
