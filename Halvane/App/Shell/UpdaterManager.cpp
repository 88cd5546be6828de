#include "Halvane/App/Shell/UpdaterManager.h"

#include <QTimer>

#include "Halvane/App/Shell/FramelessWindow.h"
#include "Halvane/App/Shell/UpdateCheckDialog.h"
#include "Halvane/App/Shell/UpdateChecker.h"
#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Sessions/Preferences.h"

namespace halvane {

QUrl UpdaterManager::buildAppcast() {
    return QUrl(QStringLiteral(HALVANE_APPCAST_URL));
}

QString UpdaterManager::buildVersion() {
    return QStringLiteral(HALVANE_VERSION);
}

UpdaterManager::UpdaterManager(Preferences& preferences, OpenUrl openUrl, QUrl appcast,
                               QString currentVersion, std::chrono::milliseconds launchCheckDelay,
                               QObject* parent)
    : QObject(parent),
      m_preferences(preferences),
      m_openUrl(std::move(openUrl)),
      m_appcast(std::move(appcast)),
      m_currentVersion(std::move(currentVersion)),
      m_launchCheckDelay(launchCheckDelay) {}

UpdaterManager::~UpdaterManager() {
    delete m_window.data();
}

UpdateChecker* UpdaterManager::checker() {
    if (m_checker == nullptr) {
        m_checker = new UpdateChecker(m_appcast, m_currentVersion, UpdateChecker::kTimeout, this);
    }
    return m_checker;
}

void UpdaterManager::start(Notify notify) {
    m_notify = std::move(notify);
    if (!updatesConfigured()) {
        log::system("Halvane: this build has no update feed; update checks are off");
        return;
    }
    if (!automaticallyChecksForUpdates()) {
        return;
    }
    // Once per launch; later changes of the setting apply from the next one.
    if (m_launchCheck == nullptr) {
        m_launchCheck = new QTimer(this);
        m_launchCheck->setSingleShot(true);
        connect(m_launchCheck, &QTimer::timeout, this,
                &UpdaterManager::checkForUpdatesInBackground);
        m_launchCheck->start(m_launchCheckDelay);
    }
}

bool UpdaterManager::launchCheckPending() const {
    return m_launchCheck != nullptr && m_launchCheck->isActive();
}

bool UpdaterManager::automaticallyChecksForUpdates() const {
    return updatesConfigured() && m_preferences.automaticChecksEnabled();
}

void UpdaterManager::checkForUpdatesInBackground() {
    if (!updatesConfigured()) {
        return;
    }
    // The user's own check, with its window, takes precedence.
    if (m_window && checker()->checking()) {
        return;
    }
    checker()->check([this](const UpdateCheckResult& result) {
        if (result.outcome == UpdateCheckResult::Outcome::failed) {
            log::system("Halvane: update check failed: " + result.problem.toStdString());
        } else if (result.outcome == UpdateCheckResult::Outcome::updateAvailable && m_notify) {
            m_notify(noticeTitle(result), noticeMessage(result));
        }
        emit checkFinished(result);
    });
}

void UpdaterManager::checkForUpdates() {
    if (!m_window) {
        auto* dialog = new UpdateCheckDialog;
        m_window = new FramelessWindow(dialog, UpdateCheckDialog::kSize);
        m_window->setWindowTitle(QStringLiteral("Software Update"));
        connect(dialog, &UpdateCheckDialog::cancelRequested, this, [this] {
            checker()->cancel();
            closeDialog();
        });
        connect(dialog, &UpdateCheckDialog::dismissRequested, this, &UpdaterManager::closeDialog);
        connect(dialog, &UpdateCheckDialog::openDownloadRequested, this, [this](const QUrl& link) {
            if (m_openUrl) {
                m_openUrl(link);
            }
            closeDialog();
        });
        m_window->centreOnActiveScreen();
    }
    m_window->present();
    if (!updatesConfigured()) {
        dialog()->showUnavailable();
        return;
    }
    dialog()->showChecking();
    checker()->check([this](const UpdateCheckResult& result) {
        if (auto* open = dialog()) {
            open->showResult(result);
        }
        emit checkFinished(result);
    });
}

UpdateCheckDialog* UpdaterManager::dialog() const {
    return m_window ? static_cast<UpdateCheckDialog*>(m_window->content()) : nullptr;
}

void UpdaterManager::closeDialog() {
    if (m_window) {
        m_window->hide();
        m_window->deleteLater();
        m_window = nullptr;
    }
}

QString UpdaterManager::noticeTitle(const UpdateCheckResult& result) {
    return result.latest ? QStringLiteral("Halvane %1 is available").arg(result.latest->version)
                         : QStringLiteral("A new Halvane is available");
}

QString UpdaterManager::noticeMessage(const UpdateCheckResult& result) {
    return QStringLiteral(
               "You have %1. Install the new version with your package manager, or open "
               "Settings \u203a About \u203a Check now for its download page.")
        .arg(result.currentVersion);
}

}  // namespace halvane
