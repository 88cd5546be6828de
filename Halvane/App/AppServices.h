#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>

#include "Halvane/Platform/linux/AtspiTabSelector.h"
#include "Halvane/Platform/linux/CanberraSoundPlayer.h"
#include "Halvane/Platform/linux/DesktopAccessibilitySettings.h"
#include "Halvane/Platform/linux/XdoWindowSystem.h"
#include "Halvane/Platform/posix/ProcfsProcessTable.h"
#include "Halvane/Platform/posix/RuntimeDirectory.h"
#include "Halvane/Sessions/Preferences.h"

namespace halvane {

class AppShell;
class HookServer;
class HookServerKeeper;
class ServingProblemCard;
class TrayMenu;
class NotchController;
class SessionScanner;
class SessionStore;

// Builds every long-lived object of the application, in order, once the
// event loop is about to run, and keeps them for the life of the process.
class AppServices final : public QObject {
    Q_OBJECT

public:
    struct Options {
        // The user's own folder for sockets and the injectors' log.
        std::string runtimeDirectory = runtime_directory::locate(::getuid());
        // Where the hook server listens: $HALVANE_SOCKET, else the folder's
        // socket. Tests and benchmarks move it.
        std::string socketPath = runtime_directory::hookSocket(runtimeDirectory);
        // How soon a server that could not start tries again.
        std::chrono::milliseconds serveRetry{5000};
    };

    // Listens on the product's socket path.
    AppServices();
    explicit AppServices(Options options, QObject* parent = nullptr);
    ~AppServices() override;

    // The tray whose menu gets the shell's entries and whose icon shows the
    // update notice; set before the launch. Without one (tests) the shell
    // still runs, with no menu and no notices.
    void attachTray(TrayMenu& tray) { m_tray = &tray; }

    // The launch: trust snapshot, updates, session model, notch, first-run
    // decision, scanner, hook server. Called once.
    void start();

    SessionStore* sessions() const { return m_sessions.get(); }
    NotchController* notchController() const { return m_notchController.get(); }
    const Options& options() const { return m_options; }
    // Brings the settings window forward (a later launch asks for it).
    void showSettings();
    // Opens the session list for a while, as a click on the tray icon does.
    void showSessions();
    SessionScanner* scanner() const { return m_scanner.get(); }
    // Kept even when it could not start.
    HookServer* server() const;
    // Keeps the server serving, and says why when it cannot.
    HookServerKeeper* serving() const { return m_serving.get(); }
    ServingProblemCard* problemCard() const { return m_problemCard.get(); }
    Preferences& preferences() { return m_preferences; }
    WindowSystem& windows() { return m_windows; }
    SoundPlayer& sounds() { return m_sounds; }

private:
    void installDesktopServices();
    std::string usableRuntimeDirectory() const;
    void recordLaunchSnapshot();
    void startShell();
    void startSessions();
    void startNotch();
    void runFirstRunDecision();
    void startScanner();
    void startHookServer();

    Options m_options;
    Preferences m_preferences;
    CanberraSoundPlayer m_sounds;
    ProcfsProcessTable m_processes;
    XdoWindowSystem m_windows;
    AtspiTabSelector m_tabs;
    DesktopAccessibilitySettings m_accessibility;
    TrayMenu* m_tray = nullptr;
    std::unique_ptr<AppShell> m_shell;
    // Declared in start-up order, so they go in the reverse one: the server
    // first, the store last.
    std::shared_ptr<SessionStore> m_sessions;
    std::unique_ptr<NotchController> m_notchController;
    std::unique_ptr<SessionScanner> m_scanner;
    std::unique_ptr<HookServerKeeper> m_serving;
    std::unique_ptr<ServingProblemCard> m_problemCard;
};

}  // namespace halvane
