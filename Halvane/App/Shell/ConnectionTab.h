#pragma once

#include <QWidget>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "Halvane/Sessions/HooksResult.h"

class QLabel;
class QTimer;

namespace halvane {

class AllowedRulesCard;
class ConfirmationSheet;
class OnboardingButton;
class OnboardingFeedback;
class SettingsCard;
class StatusPill;

// Claude Code's side: the hooks (install, reinstall, uninstall), the backup
// of its settings file, and the allow rules. Re-reads the file while shown.
class ConnectionTab final : public QWidget {
    Q_OBJECT

public:
    ConnectionTab(OnboardingFeedback& feedback, ConfirmationSheet& sheet,
                  std::chrono::milliseconds pollInterval, QWidget* parent = nullptr);

    bool hooksInstalled() const { return m_hooksInstalled; }
    bool hasBackup() const { return m_hasBackup; }
    const std::vector<std::string>& allowPatterns() const { return m_allowPatterns; }
    bool polling() const;

    SettingsCard* hookCard() const { return m_hookCard; }
    SettingsCard* backupCard() const { return m_backupCard; }
    AllowedRulesCard* rulesCard() const { return m_rulesCard; }
    OnboardingButton* installButton() const { return m_install; }
    OnboardingButton* uninstallButton() const { return m_uninstall; }
    OnboardingButton* restoreButton() const { return m_restore; }
    QString hookPathText() const;
    // Why the last install, uninstall or restore did not happen, as shown
    // in the hook card; empty after one that did.
    QString failureText() const;

    void refresh();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void install();
    void confirmUninstall();
    void confirmRestore();
    // Does what the sheet asked about, now confirmed.
    void confirmed();
    void revoke(const std::string& pattern);
    // The success chime, or the failure said in the card; then the file anew.
    void report(const HooksResult& result);

    OnboardingFeedback& m_feedback;
    ConfirmationSheet& m_sheet;
    // What the sheet was last asked, by this tab.
    enum class Question { none, uninstall, restore };
    Question m_asked = Question::none;
    bool m_hooksInstalled = false;
    std::optional<std::string> m_hookPath;
    bool m_hasBackup = false;
    std::vector<std::string> m_allowPatterns;
    QTimer* m_poll;

    SettingsCard* m_hookCard;
    StatusPill* m_installedPill;
    QLabel* m_hookPathLabel;
    QLabel* m_failureLabel;
    OnboardingButton* m_install;
    OnboardingButton* m_uninstall;
    SettingsCard* m_backupCard;
    OnboardingButton* m_restore;
    AllowedRulesCard* m_rulesCard;
};

}  // namespace halvane
