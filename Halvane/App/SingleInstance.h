#pragma once

#include <QObject>

#include <functional>
#include <string>

namespace halvane {

// One Halvane per user. The running one serves the hook socket and answers
// on the session bus; a later launch (the app menu, `make run`, a second
// login item) hands over to it instead of taking the socket away.
class SingleInstance final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.halvane.Halvane")

public:
    static constexpr const char* serviceName = "app.halvane.Halvane";
    static constexpr const char* objectPath = "/app/halvane/Halvane";

    // When a Halvane of this user already serves socketPath: asks it to come
    // forward, says so on standard error and returns true (this process
    // should end). False when none runs.
    static bool handOver(const std::string& socketPath);

    // Takes the bus name so later launches find this one; onActivate runs
    // (on the main thread) when one does. Without a session bus later
    // launches still stop, they just cannot ask for anything.
    explicit SingleInstance(std::function<void()> onActivate, QObject* parent = nullptr);
    ~SingleInstance() override;

public slots:
    // Called over the bus by a later launch.
    void Activate();

private:
    std::function<void()> m_onActivate;
    bool m_registered = false;
};

}  // namespace halvane
