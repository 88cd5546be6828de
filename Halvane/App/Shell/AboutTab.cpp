#include "Halvane/App/Shell/AboutTab.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "Halvane/App/Shell/OnboardingButton.h"
#include "Halvane/App/Shell/PulsingLogo.h"
#include "Halvane/App/Shell/SettingsCard.h"
#include "Halvane/App/Shell/ShellLook.h"
#include "Halvane/App/Shell/ShellServices.h"
#include "Halvane/App/Shell/ToggleSwitch.h"
#include "Halvane/App/Shell/UpdaterManager.h"
#include "Halvane/Sessions/Preferences.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"

namespace halvane {

namespace {

constexpr qreal kLogoSize = 44;

}  // namespace

AboutTab::AboutTab(const ShellServices& services, UpdaterManager* updater, QWidget* parent)
    : QWidget(parent), m_services(services), m_updater(updater) {
    setAttribute(Qt::WA_TranslucentBackground);
    m_logo = new PulsingLogo(ShellLook::logo(services, kLogoSize, nullptr), kLogoSize, this);
    auto* name = ShellLook::label(QStringLiteral("Halvane"), NotchFonts::system(20, QFont::Bold),
                                  Qt::white, this, Qt::AlignCenter);
    m_version =
        ShellLook::label(QStringLiteral("Version ") + ShellLook::version(services),
                         NotchFonts::system(12), NotchPalette::mutedText(), this, Qt::AlignCenter);
    auto* tagline =
        ShellLook::label(QStringLiteral("Claude Code, right at the top of your screen."),
                         NotchFonts::system(12.5), NotchPalette::dimText(), this, Qt::AlignCenter);

    m_updates = new SettingsCard(Icon::download, QStringLiteral("Updates"), this);
    m_autoCheck = new ToggleSwitch(false, m_updates);
    m_updates->accessories()->addWidget(m_autoCheck);
    m_checkNow = new OnboardingButton(QStringLiteral("Check now"),
                                      OnboardingButton::Style::secondary, m_updates);
    auto* updateButtons = new QHBoxLayout;
    updateButtons->addWidget(m_checkNow);
    updateButtons->addStretch(1);
    m_updates->body()->addLayout(updateButtons);

    m_quit = new OnboardingButton(QStringLiteral("Quit Halvane"),
                                  OnboardingButton::Style::secondary, this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    column->addWidget(m_logo, 0, Qt::AlignHCenter);
    column->addWidget(name);
    column->addWidget(m_version);
    column->addSpacing(2);
    column->addWidget(tagline);
    column->addSpacing(16);
    column->addWidget(m_updates);
    column->addSpacing(10);
    column->addWidget(m_quit, 0, Qt::AlignHCenter);
    column->addStretch(1);

    connect(m_autoCheck, &ToggleSwitch::clicked, this, [this](bool on) {
        m_services.preferences.setAutomaticChecksEnabled(on);
        refresh();
    });
    connect(m_checkNow, &OnboardingButton::clicked, this, [this] {
        if (m_updater != nullptr) {
            m_updater->checkForUpdates();
        }
    });
    connect(m_quit, &OnboardingButton::clicked, this, [this] {
        if (m_services.quit) {
            m_services.quit();
        }
    });
    refresh();
}

QString AboutTab::versionText() const {
    return m_version->text();
}

bool AboutTab::updatesConfigured() const {
    return m_updater != nullptr && m_updater->updatesConfigured();
}

void AboutTab::refresh() {
    if (!updatesConfigured()) {
        m_updates->setDetail(
            QStringLiteral("This build of Halvane has no update feed, so it never checks for "
                           "updates. New versions come through your package manager."));
        m_autoCheck->setChecked(false);
        m_autoCheck->setEnabled(false);
        m_checkNow->setDisabled(true);
        return;
    }
    const bool autoCheck = m_services.preferences.automaticChecksEnabled();
    m_autoCheck->setEnabled(true);
    m_autoCheck->setChecked(autoCheck);
    m_checkNow->setDisabled(false);
    m_updates->setDetail(autoCheck ? QStringLiteral("Halvane checks for updates in the background.")
                                   : QStringLiteral("Automatic update checks are disabled."));
}

void AboutTab::showEvent(QShowEvent* event) {
    refresh();
    QWidget::showEvent(event);
}

}  // namespace halvane
