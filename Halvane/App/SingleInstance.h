#pragma once

#include <QObject>

#include <functional>
#include <string>

namespace halvane {

// One Halvane per user. The running one serves the hook socket and answers
// on the session bus; a later launch (the app menu, the desktop entry's
// actions, `make run`, a second login item) hands over to it instead of
// taking the socket away. The bus name is the application's id, as the
// desktop entry's and the autostart entry's names are.
class SingleInstance final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.halvane.Halvane")

public:
    static constexpr const char* serviceName = "app.halvane.Halvane";
    static constexpr const char* objectPath = "/app/halvane/Halvane";

    // What a later launch asks of the running one.
    enum class Request { activate, showSessions, showSettings };
    Q_ENUM(Request)

    // When a Halvane of this user already serves socketPath: asks it for
    // `request`, says so on standard error and returns true (this process
    // should end). False when none runs.
    static bool handOver(const std::string& socketPath, Request request = Request::activate);

    // Whether socketPath is the user's own hook socket (not one moved by
    // --socket or $HALVANE_SOCKET): only that one meets on the bus.
    static bool isUsersSocket(const std::string& socketPath);

    // Takes the bus name so later launches find this one. Without a session
    // bus later launches still stop, they just cannot ask for anything.
    // `sessionCount` tells a launch asking for the sessions how many there are.
    explicit SingleInstance(std::function<int()> sessionCount, QObject* parent = nullptr);
    ~SingleInstance() override;

public slots:
    // Called over the bus by a later launch. A plain launch opens the settings.
    void Activate();
    void ShowSettings();
    // Returns how many sessions the list shows.
    int ShowSessions();

signals:
    void settingsRequested();
    void sessionsRequested();

private:
    std::function<int()> m_sessionCount;
    bool m_registered = false;
};

}  // namespace halvane
