#pragma once

#include <QObject>
#include <QString>

#include <array>

#include "Halvane/Theme/Icon.h"

namespace halvane {

// A namespace of its own: Qt keeps one meta-object per namespace.
namespace settingstab {
Q_NAMESPACE

// The settings window's tabs, in the tab bar's order.
enum class SettingsTab { general, connection, permissions, about };
Q_ENUM_NS(SettingsTab)

}  // namespace settingstab

using settingstab::SettingsTab;

inline constexpr std::array<SettingsTab, 4> kSettingsTabs = {
    SettingsTab::general, SettingsTab::connection, SettingsTab::permissions, SettingsTab::about};

Icon settingsTabIcon(SettingsTab tab);
QString settingsTabTitle(SettingsTab tab);

}  // namespace halvane
