#pragma once

#include <functional>

class QAction;
class QMenu;

namespace halvane {

class StartAtLoginAction;

// The tray menu's shell entries.
namespace ShellMenu {

// Puts "Settings…" (Ctrl+,), a separator, the start-at-login entry and a
// separator before `before` (the menu's "Quit Halvane"), or at the end when
// it is null. The start-at-login entry re-reads the disk as the menu opens.
StartAtLoginAction* addItems(QMenu& menu, QAction* before, std::function<void()> showSettings);

}  // namespace ShellMenu

}  // namespace halvane
