#include "Halvane/App/TrayMenu.h"

#include <QAction>
#include <QKeySequence>

#include "Halvane/App/TrayIcon.h"
#include "Halvane/Platform/posix/Log.h"

namespace halvane {

TrayMenu::TrayMenu(QObject* parent)
    : QObject(parent), m_quit(m_menu.addAction(QStringLiteral("Quit Halvane"))) {
    m_quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_quit->setShortcutVisibleInContextMenu(true);
    connect(m_quit, &QAction::triggered, this, &TrayMenu::quitRequested);
    m_icon.setIcon(TrayIcon::trayIcon());
    m_icon.setToolTip(QStringLiteral("Halvane"));
    m_icon.setContextMenu(&m_menu);
}

TrayMenu::~TrayMenu() {
    m_icon.hide();
}

void TrayMenu::show() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        log::system(
            "Halvane: this desktop has no system tray, so Halvane's menu cannot show; the "
            "notch works as usual (quit with `pkill -x halvane`)");
    }
    m_icon.show();
}

void TrayMenu::showMessage(const QString& title, const QString& text) {
    m_icon.showMessage(title, text, m_icon.icon());
}

}  // namespace halvane
