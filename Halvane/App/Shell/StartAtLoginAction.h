#pragma once

#include <QAction>

namespace halvane {

// The tray menu's "Start at login" / "Disable start at login" entry. Its
// label follows the autostart entry on disk, re-read whenever asked (the menu
// asks each time it opens) and after every toggle.
class StartAtLoginAction final : public QAction {
    Q_OBJECT

public:
    explicit StartAtLoginAction(QObject* parent = nullptr);

    bool installed() const { return m_installed; }
    void refresh();

private:
    void toggle();

    bool m_installed = false;
};

}  // namespace halvane
