#include "Halvane/App/Shell/LaunchAgentMenuItem.h"

#include "Halvane/App/Shell/LaunchAgentService.h"

namespace halvane {

LaunchAgentMenuItem::LaunchAgentMenuItem(QObject* parent) : QAction(parent) {
    connect(this, &QAction::triggered, this, &LaunchAgentMenuItem::toggle);
    refresh();
}

void LaunchAgentMenuItem::refresh() {
    m_installed = LaunchAgentService::isInstalled();
    setText(m_installed ? QStringLiteral("Disable start at login")
                        : QStringLiteral("Start at login"));
}

void LaunchAgentMenuItem::toggle() {
    if (m_installed) {
        LaunchAgentService::uninstall();
    } else {
        LaunchAgentService::install();
    }
    refresh();
}

}  // namespace halvane
