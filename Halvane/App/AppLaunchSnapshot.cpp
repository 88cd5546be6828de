#include "Halvane/App/AppLaunchSnapshot.h"

namespace halvane::AppLaunchSnapshot {

namespace {
bool granted = false;
}

bool accessibilityWasGranted() {
    return granted;
}

void setAccessibilityWasGranted(bool value) {
    granted = value;
}

}  // namespace halvane::AppLaunchSnapshot
