#pragma once

#include <QWidget>

class QLabel;

namespace halvane {

class OnboardingButton;
class SettingRow;
class StatusPill;

// The "Accessibility access" row of onboarding and settings. On Linux the
// access is the window manager's: Halvane can bring a terminal forward when
// it runs on an X11 display (XWayland included) whose window manager honours
// activation requests. The row shows one of three states: missing (with a way
// to the desktop's accessibility settings), granted since launch (with a
// restart, since Halvane sets up its window handling as it starts), or
// granted.
class AccessibilityRow final : public QWidget {
    Q_OBJECT

public:
    explicit AccessibilityRow(QWidget* parent = nullptr);

    void setState(bool granted, bool grantedAtLaunch);
    bool granted() const { return m_granted; }
    bool grantedAtLaunch() const { return m_grantedAtLaunch; }

    SettingRow* row() const { return m_row; }
    StatusPill* grantedPill() const { return m_grantedPill; }
    OnboardingButton* restartButton() const { return m_restart; }
    OnboardingButton* openSettingsButton() const { return m_openSettings; }
    // The explanation of what the access means here, shown while it is missing.
    QString visibleNote() const;

    static QString requiredDetail();
    static QString restartDetail();

signals:
    void openSettingsRequested();
    void restartRequested();

private:
    void apply();

    bool m_granted = false;
    bool m_grantedAtLaunch = false;
    SettingRow* m_row;
    StatusPill* m_grantedPill;
    OnboardingButton* m_restart;
    OnboardingButton* m_openSettings;
    QLabel* m_note;
};

}  // namespace halvane
