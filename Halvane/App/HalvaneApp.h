#pragma once

#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>

#include "Halvane/App/AppServices.h"
#include "Halvane/App/SingleInstance.h"

namespace halvane {

class TrayMenu;

// The application as the desktop sees it: a tray icon with its menu and no
// window of its own, and the delegate that builds everything else.
class HalvaneApp final : public QObject {
    Q_OBJECT

public:
    // What the command line asked for.
    struct Arguments {
        AppServices::Options services;
        // What to show once running (or what to ask of a Halvane already running).
        SingleInstance::Request request = SingleInstance::Request::activate;
        // Text to print and exit with instead of running (help, version, a
        // usage error).
        std::optional<std::string> exitText;
        int exitStatus = 0;
    };

    // Under Wayland the notch could not place itself, so the app runs
    // through XWayland when both displays are there, and says so. Call before
    // the application object exists.
    static void choosePlatform();
    // Why the app cannot show itself here (one line to print before exiting
    // with status 1), or nothing when a display is there or a Qt platform
    // was chosen explicitly.
    static std::optional<std::string> displayProblem();
    // Read before the application object exists, so --help works without a display.
    static Arguments parseArguments(int argc, const char* const* argv);
    static Arguments parseArguments(const QStringList& arguments);

    explicit HalvaneApp(Arguments arguments, QObject* parent = nullptr);
    ~HalvaneApp() override;

    // Shows the tray and runs the delegate's launch.
    void launch();

    AppServices& services() { return m_services; }
    TrayMenu& tray() { return *m_tray; }

private:
    AppServices m_services;
    std::unique_ptr<TrayMenu> m_tray;
    std::unique_ptr<SingleInstance> m_instance;
    SingleInstance::Request m_request;
};

}  // namespace halvane
