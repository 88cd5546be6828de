#pragma once

#include <QWidget>

#include <array>

#include "Halvane/App/Shell/OnboardingFeedback.h"
#include "Halvane/App/Shell/SettingsTab.h"
#include "Halvane/App/Shell/SettingsTimings.h"
#include "Halvane/App/Shell/ShellServices.h"

class QAbstractButton;
class QStackedWidget;

namespace halvane {

class AboutTab;
class ConfirmationSheet;
class ConnectionTab;
class GeneralTab;
class PermissionsTab;
class SettingsTabBar;
class UpdaterManager;

// The settings window's content: a header with the logo and version, the tab
// bar, the chosen tab, and a close button (Escape closes too).
class SettingsView final : public QWidget {
    Q_OBJECT

public:
    SettingsView(ShellServices services, UpdaterManager* updater, SettingsTimings timings,
                 QWidget* parent = nullptr);
    ~SettingsView() override;

    SettingsTab tab() const;
    void setTab(SettingsTab tab);

    SettingsTabBar* tabBar() const { return m_tabBar; }
    GeneralTab* generalTab() const { return m_general; }
    ConnectionTab* connectionTab() const { return m_connection; }
    PermissionsTab* permissionsTab() const { return m_permissions; }
    AboutTab* aboutTab() const { return m_about; }
    ConfirmationSheet* sheet() const { return m_sheet; }
    QAbstractButton* closeButton() const { return m_close; }
    QString versionLine() const;

signals:
    // The close button or Escape.
    void closeRequested();
    // "Replay onboarding" in the General tab.
    void replayOnboardingRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* page(QWidget* tab);

    ShellServices m_services;
    OnboardingFeedback m_feedback;
    QString m_versionLine;
    SettingsTabBar* m_tabBar;
    QStackedWidget* m_pages;
    ConfirmationSheet* m_sheet;
    GeneralTab* m_general;
    ConnectionTab* m_connection;
    PermissionsTab* m_permissions;
    AboutTab* m_about;
    QAbstractButton* m_close;
};

}  // namespace halvane
