#include "Halvane/App/Shell/StartAtLoginAction.h"

#include "Halvane/App/Shell/AutostartEntry.h"

namespace halvane {

StartAtLoginAction::StartAtLoginAction(QObject* parent) : QAction(parent) {
    connect(this, &QAction::triggered, this, &StartAtLoginAction::toggle);
    refresh();
}

void StartAtLoginAction::refresh() {
    m_installed = AutostartEntry::isInstalled();
    setText(m_installed ? QStringLiteral("Disable start at login")
                        : QStringLiteral("Start at login"));
}

void StartAtLoginAction::toggle() {
    if (m_installed) {
        AutostartEntry::uninstall();
    } else {
        AutostartEntry::install();
    }
    refresh();
}

}  // namespace halvane
