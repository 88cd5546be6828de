#pragma once

namespace halvane {

// What was true when the application started, for views that must tell a
// change made since from a state already in place at launch.
namespace AppLaunchSnapshot {

// Whether Halvane could bring other programs' windows to the front at launch.
// A grant made later needs a restart to take effect.
bool accessibilityWasGranted();
// Written once, by the launch.
void setAccessibilityWasGranted(bool granted);

}  // namespace AppLaunchSnapshot

}  // namespace halvane
