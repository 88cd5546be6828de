#pragma once

#include <QString>

#include <array>

#include "Halvane/Notch/SymbolName.h"

namespace halvane {

// The settings window's tabs, in the tab bar's order.
enum class SettingsTab { general, connection, permissions, about };

inline constexpr std::array<SettingsTab, 4> kSettingsTabs = {
    SettingsTab::general, SettingsTab::connection, SettingsTab::permissions, SettingsTab::about};

SymbolName settingsTabIcon(SettingsTab tab);
QString settingsTabTitle(SettingsTab tab);
int rawValue(SettingsTab tab);

}  // namespace halvane
