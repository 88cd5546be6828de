#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

namespace halvane {

class AccessibilitySettings;
class Preferences;
class SoundPlayer;

// What the shell's windows need from the rest of the application. The
// application hands in the real services; tests hand in their own.
struct ShellServices {
    Preferences& preferences;
    SoundPlayer& sounds;
    AccessibilitySettings& accessibilitySettings;
    // Whether Halvane may bring other programs' windows to the front now.
    std::function<bool()> accessibilityTrusted;
    // Whether it could when the application started.
    std::function<bool()> accessibilityTrustedAtLaunch;
    // Restarts the application (AppRelauncher::relaunch).
    std::function<void()> relaunch;
    // Ends the application.
    std::function<void()> quit;
    // Opens a web page in the user's browser.
    std::function<void(const QUrl&)> openUrl;
    // The application's logo, drawn `size` points square, for window headers
    // and heroes.
    std::function<QWidget*(qreal size, QWidget* parent)> makeLogo;
    // The version shown in the settings window.
    QString version;
};

}  // namespace halvane
