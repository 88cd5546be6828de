#include "Halvane/App/Shell/ShellMenu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include "Halvane/App/Shell/StartAtLoginAction.h"

namespace halvane::ShellMenu {

StartAtLoginAction* addItems(QMenu& menu, QAction* before, std::function<void()> showSettings) {
    auto* settings = new QAction(QStringLiteral("Settings\u2026"), &menu);
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    QObject::connect(settings, &QAction::triggered, &menu,
                     [showSettings = std::move(showSettings)] {
                         if (showSettings) {
                             showSettings();
                         }
                     });
    auto* login = new StartAtLoginAction(&menu);
    QObject::connect(&menu, &QMenu::aboutToShow, login, &StartAtLoginAction::refresh);

    menu.insertAction(before, settings);
    menu.insertSeparator(before);
    menu.insertAction(before, login);
    menu.insertSeparator(before);
    return login;
}

}  // namespace halvane::ShellMenu
