#include "Halvane/App/Shell/SettingsTab.h"

namespace halvane {

SymbolName settingsTabIcon(SettingsTab tab) {
    switch (tab) {
        case SettingsTab::general:
            return "slider.horizontal.3"_sym;
        case SettingsTab::connection:
            return "link"_sym;
        case SettingsTab::permissions:
            return "lock.shield"_sym;
        case SettingsTab::about:
            return "info.circle"_sym;
    }
    return "slider.horizontal.3"_sym;
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
