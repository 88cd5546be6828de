#pragma once

#include <QString>
#include <QStringList>

#include <optional>

#include "Halvane/Platform/AccessibilitySettings.h"

namespace halvane {

// GNOME's Accessibility panel, else KDE's, found on the PATH; other desktops
// have no page to open.
class DesktopAccessibilitySettings final : public AccessibilitySettings {
public:
    bool open() override;

    // The program and arguments open() starts, when one is installed.
    static std::optional<QStringList> command();
};

}  // namespace halvane
