#include "Halvane/App/Shell/SettingsTab.h"

namespace halvane {

Icon settingsTabIcon(SettingsTab tab) {
    switch (tab) {
        case SettingsTab::general:
            return Icon::sliders;
        case SettingsTab::connection:
            return Icon::link;
        case SettingsTab::permissions:
            return Icon::shield;
        case SettingsTab::about:
            return Icon::info;
    }
    return Icon::sliders;
}

QString settingsTabTitle(SettingsTab tab) {
    switch (tab) {
        case SettingsTab::general:
            return QStringLiteral("General");
        case SettingsTab::connection:
            return QStringLiteral("Connection");
        case SettingsTab::permissions:
            return QStringLiteral("Permissions");
        case SettingsTab::about:
            return QStringLiteral("About");
    }
    return {};
}

}  // namespace halvane
