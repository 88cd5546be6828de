#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <memory>
#include <string>

namespace halvane {

class HookEventHandler;
class HookServer;

// Keeps the hook server serving. When it cannot (the user's runtime folder is
// unsafe, another Halvane of this user already serves the socket, bind
// fails), the reason is logged once and published for the panel and the
// tray, and another try follows every few seconds instead of running deaf:
// every hook would otherwise get an empty answer with nothing on screen.
class HookServerKeeper final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)

public:
    struct Options {
        // Checked (and created) before each try when not empty.
        std::string runtimeDirectory;
        std::string socketPath;
        std::chrono::milliseconds retryInterval{5000};
    };

    HookServerKeeper(std::shared_ptr<HookEventHandler> sessions, Options options,
                     QObject* parent = nullptr);
    ~HookServerKeeper() override;

    // The first try; later ones follow on their own while it fails.
    void start();

    // Why the socket is not served, with what to do about it; empty while
    // serving (or before start).
    QString problem() const { return m_problem; }
    bool serving() const;
    HookServer* server() const { return m_server.get(); }

signals:
    void problemChanged(const QString& problem);

private:
    void tryToServe();
    QString whyNotServing();
    void setProblem(const QString& problem);

    Options m_options;
    std::unique_ptr<HookServer> m_server;
    QTimer m_retry;
    QString m_problem;
};

}  // namespace halvane
