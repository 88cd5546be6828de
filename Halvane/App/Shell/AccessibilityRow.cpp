#include "Halvane/App/Shell/AccessibilityRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "Halvane/App/Shell/OnboardingButton.h"
#include "Halvane/App/Shell/ShellLook.h"
#include "Halvane/Notch/Components/SettingRow.h"
#include "Halvane/Notch/Components/StatusPill.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"

namespace halvane {

AccessibilityRow::AccessibilityRow(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* trailing = new QWidget;
    trailing->setAttribute(Qt::WA_TranslucentBackground);
    auto* controls = new QHBoxLayout(trailing);
    controls->setContentsMargins(0, 0, 0, 0);
    m_grantedPill = new StatusPill(QStringLiteral("Granted"), NotchPalette::systemGreen(),
                                   Icon::check, trailing);
    m_restart = new OnboardingButton(QStringLiteral("Restart Halvane"),
                                     OnboardingButton::Style::primary, trailing);
    m_openSettings = new OnboardingButton(QStringLiteral("Open Accessibility Settings"),
                                          OnboardingButton::Style::secondary, trailing);
    controls->addWidget(m_grantedPill);
    controls->addWidget(m_restart);
    controls->addWidget(m_openSettings);

    m_row = new SettingRow(Icon::pointingHand, QStringLiteral("Accessibility access"),
                           requiredDetail(), false, trailing, this);
    m_note = ShellLook::label(
        QStringLiteral("On Linux this means an X11 session (XWayland counts) whose window "
                       "manager lets Halvane bring windows forward (_NET_ACTIVE_WINDOW) \u2014 "
                       "GNOME, KDE Plasma, Xfce and most others do."),
        NotchFonts::system(11), NotchPalette::dimText(), this, Qt::AlignLeft, true);
    m_note->setContentsMargins(14, 0, 14, 0);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addWidget(m_row);
    column->addWidget(m_note);

    connect(m_restart, &OnboardingButton::clicked, this, &AccessibilityRow::restartRequested);
    connect(m_openSettings, &OnboardingButton::clicked, this,
            &AccessibilityRow::openSettingsRequested);
    apply();
}

QString AccessibilityRow::requiredDetail() {
    return QStringLiteral(
        "Required so the notch can focus your terminal window when you click a session.");
}

QString AccessibilityRow::restartDetail() {
    return QStringLiteral(
        "Granted \u2713 \u2014 but Halvane only wires this up at launch. Restart Halvane for it "
        "to take effect.");
}

void AccessibilityRow::setState(bool granted, bool grantedAtLaunch) {
    if (granted == m_granted && grantedAtLaunch == m_grantedAtLaunch) {
        return;
    }
    m_granted = granted;
    m_grantedAtLaunch = grantedAtLaunch;
    apply();
}

QString AccessibilityRow::visibleNote() const {
    return m_note->isHidden() ? QString() : m_note->text();
}

void AccessibilityRow::apply() {
    const bool needsRestart = m_granted && !m_grantedAtLaunch;
    m_row->setStatusOn(m_granted && m_grantedAtLaunch);
    m_row->setDetail(needsRestart ? restartDetail() : requiredDetail());
    m_grantedPill->setVisible(m_granted && m_grantedAtLaunch);
    m_restart->setVisible(needsRestart);
    m_openSettings->setVisible(!m_granted);
    m_note->setVisible(!m_granted);
}

}  // namespace halvane
