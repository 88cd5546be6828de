#include "Halvane/App/Shell/ConnectionTab.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <filesystem>
#include <utility>

#include "Halvane/App/Shell/AllowedRulesCard.h"
#include "Halvane/App/Shell/ConfirmationSheet.h"
#include "Halvane/App/Shell/HooksFailureText.h"
#include "Halvane/App/Shell/HooksPreviewCard.h"
#include "Halvane/App/Shell/IconView.h"
#include "Halvane/App/Shell/OnboardingButton.h"
#include "Halvane/App/Shell/OnboardingFeedback.h"
#include "Halvane/App/Shell/SettingsCard.h"
#include "Halvane/App/Shell/ShellLook.h"
#include "Halvane/Notch/Components/StatusPill.h"
#include "Halvane/Sessions/HooksInstaller.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"

namespace halvane {

namespace {

bool backupExists() {
    std::error_code error;
    return std::filesystem::exists(
        std::filesystem::symlink_status(HooksInstaller::backupPath(), error));
}

}  // namespace

ConnectionTab::ConnectionTab(OnboardingFeedback& feedback, ConfirmationSheet& sheet,
                             std::chrono::milliseconds pollInterval, QWidget* parent)
    : QWidget(parent),
      m_feedback(feedback),
      m_sheet(sheet),
      m_poll(new QTimer(this)),
      m_hookCard(new SettingsCard(Icon::link, QStringLiteral("Hook integration"), this)),
      m_installedPill(new StatusPill(QStringLiteral("Installed"), NotchPalette::systemGreen(),
                                     Icon::check, m_hookCard)),
      m_hookPathLabel(
          ShellLook::label({}, NotchFonts::monospaced(11), NotchPalette::mutedText(), m_hookCard)),
      m_failureLabel(ShellLook::label({}, NotchFonts::system(11.5, QFont::Medium),
                                      NotchPalette::systemRed(), m_hookCard,
                                      Qt::AlignLeft | Qt::AlignVCenter, true)),
      m_install(new OnboardingButton({}, OnboardingButton::Style::primary, m_hookCard)),
      m_uninstall(new OnboardingButton(QStringLiteral("Uninstall"),
                                       OnboardingButton::Style::secondary, m_hookCard)),
      m_backupCard(
          new SettingsCard(Icon::undo, QStringLiteral("Restore original settings.json"), this)),
      m_restore(new OnboardingButton(QStringLiteral("Restore"), OnboardingButton::Style::secondary,
                                     m_backupCard)),
      m_rulesCard(new AllowedRulesCard(this)) {
    setAttribute(Qt::WA_TranslucentBackground);

    m_hookCard->accessories()->addWidget(m_installedPill);
    auto* path = new QHBoxLayout;
    path->setSpacing(7);
    path->addWidget(new IconView(Icon::terminal, 12, NotchPalette::dimText(), m_hookCard));
    m_hookPathLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    path->addWidget(m_hookPathLabel, 1);
    m_hookCard->body()->addLayout(path);
    m_failureLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_failureLabel->hide();
    m_hookCard->body()->addWidget(m_failureLabel);
    auto* hookButtons = new QHBoxLayout;
    hookButtons->setSpacing(8);
    hookButtons->addWidget(m_install);
    hookButtons->addWidget(m_uninstall);
    hookButtons->addStretch(1);
    m_hookCard->body()->addLayout(hookButtons);

    m_backupCard->setDetail(QStringLiteral("Replaces %1 with the backup we made before installing.")
                                .arg(HooksPreviewCard::displayedSettingsPath()));
    auto* backupButtons = new QHBoxLayout;
    backupButtons->addWidget(m_restore);
    backupButtons->addStretch(1);
    m_backupCard->body()->addLayout(backupButtons);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    column->addWidget(m_hookCard);
    column->addWidget(m_backupCard);
    column->addWidget(m_rulesCard);
    column->addStretch(1);

    connect(m_install, &OnboardingButton::clicked, this, &ConnectionTab::install);
    connect(m_uninstall, &OnboardingButton::clicked, this, &ConnectionTab::confirmUninstall);
    connect(m_restore, &OnboardingButton::clicked, this, &ConnectionTab::confirmRestore);
    connect(&m_sheet, &ConfirmationSheet::confirmed, this, &ConnectionTab::confirmed);
    connect(m_rulesCard, &AllowedRulesCard::revokeRequested, this, &ConnectionTab::revoke);
    m_poll->setInterval(pollInterval);
    connect(m_poll, &QTimer::timeout, this, &ConnectionTab::refresh);
    refresh();
}

bool ConnectionTab::polling() const {
    return m_poll->isActive();
}

QString ConnectionTab::hookPathText() const {
    return m_hookPathLabel->text();
}

QString ConnectionTab::failureText() const {
    return m_failureLabel->isHidden() ? QString() : m_failureLabel->text();
}

void ConnectionTab::refresh() {
    m_hooksInstalled = HooksInstaller::isInstalled();
    m_hookPath = HooksInstaller::hookBinaryPath();
    m_hasBackup = backupExists();
    m_allowPatterns = HooksInstaller::currentAllowPatterns();

    m_hookCard->setDetail(
        m_hooksInstalled
            ? QStringLiteral("Claude Code is wired up to Halvane.")
            : QStringLiteral("Claude Code can't reach Halvane until we install the hook."));
    m_installedPill->setVisible(m_hooksInstalled);
    if (m_hookPath) {
        m_hookPathLabel->setText(QString::fromStdString(*m_hookPath));
        ShellLook::setTextColor(*m_hookPathLabel, NotchPalette::mutedText());
    } else {
        m_hookPathLabel->setText(QStringLiteral("halvane-hook is missing next to Halvane"));
        ShellLook::setTextColor(*m_hookPathLabel, NotchPalette::systemOrange());
    }
    m_install->setLabel(m_hooksInstalled ? QStringLiteral("Reinstall")
                                         : QStringLiteral("Install hooks"));
    m_uninstall->setVisible(m_hooksInstalled);
    m_backupCard->setVisible(m_hasBackup);
    m_rulesCard->setPatterns(m_allowPatterns);
}

void ConnectionTab::install() {
    report(HooksInstaller::installIfNeeded());
}

void ConnectionTab::report(const HooksResult& result) {
    const QString failure = HooksFailureText::of(result);
    m_failureLabel->setText(failure);
    m_failureLabel->setVisible(!failure.isEmpty());
    if (failure.isEmpty()) {
        m_feedback.success();
    }
    refresh();
}

void ConnectionTab::confirmUninstall() {
    m_asked = Question::uninstall;
    m_sheet.ask(
        QStringLiteral("Uninstall Halvane hooks from Claude Code?"),
        QStringLiteral("Claude Code will stop talking to Halvane. Your other hooks are left "
                       "untouched."),
        QStringLiteral("Uninstall"));
}

void ConnectionTab::confirmRestore() {
    m_asked = Question::restore;
    m_sheet.ask(QStringLiteral("Restore Claude Code settings from backup?"),
                QStringLiteral("Your current %1 will be overwritten. The backup file will be "
                               "removed.")
                    .arg(HooksPreviewCard::displayedSettingsPath()),
                QStringLiteral("Restore"));
}

void ConnectionTab::confirmed() {
    const Question asked = std::exchange(m_asked, Question::none);
    if (asked == Question::uninstall) {
        report(HooksInstaller::uninstall());
    } else if (asked == Question::restore) {
        report(HooksInstaller::restoreBackup());
    }
}

void ConnectionTab::revoke(const std::string& pattern) {
    // The running store keeps its rules until the next launch; the file is
    // what Claude Code and the next launch read.
    HooksInstaller::removeAllowRule(pattern);
    refresh();
}

void ConnectionTab::showEvent(QShowEvent* event) {
    refresh();
    m_poll->start();
    QWidget::showEvent(event);
}

void ConnectionTab::hideEvent(QHideEvent* event) {
    m_poll->stop();
    // A failure is news about the last press; coming back is a fresh look.
    m_failureLabel->clear();
    m_failureLabel->hide();
    QWidget::hideEvent(event);
}

}  // namespace halvane
