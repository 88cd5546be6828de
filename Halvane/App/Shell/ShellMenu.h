#pragma once

#include <functional>

class QAction;
class QMenu;

namespace halvane {

class LaunchAgentMenuItem;

// The tray menu's shell entries.
namespace ShellMenu {

// Puts "Settings…" (Ctrl+,), a separator, the start-at-login entry and a
// separator before `before` (the menu's "Quit Halvane"), or at the end when
// it is null. The start-at-login entry re-reads the disk as the menu opens.
LaunchAgentMenuItem* addItems(QMenu& menu, QAction* before, std::function<void()> showSettings);

}  // namespace ShellMenu

}  // namespace halvane
