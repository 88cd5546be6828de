#include "Halvane/Sessions/HookServerKeeper.h"

#include <unistd.h>

#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Platform/posix/RuntimeDirectory.h"
#include "Halvane/Platform/posix/UnixSocket.h"
#include "Halvane/Sessions/HookServer.h"

namespace halvane {

HookServerKeeper::HookServerKeeper(std::shared_ptr<HookEventHandler> sessions, Options options,
                                   QObject* parent)
    : QObject(parent),
      m_options(std::move(options)),
      m_server(std::make_unique<HookServer>(std::move(sessions), m_options.socketPath)) {
    m_retry.setInterval(m_options.retryInterval);
    connect(&m_retry, &QTimer::timeout, this, &HookServerKeeper::tryToServe);
}

HookServerKeeper::~HookServerKeeper() = default;

void HookServerKeeper::start() {
    tryToServe();
}

bool HookServerKeeper::serving() const {
    return m_server->serverFD() >= 0;
}

void HookServerKeeper::tryToServe() {
    if (serving()) {
        m_retry.stop();
        return;
    }
    const QString problem = whyNotServing();
    if (problem.isEmpty()) {
        m_retry.stop();
    } else if (!m_retry.isActive()) {
        m_retry.start();
    }
    setProblem(problem);
}

QString HookServerKeeper::whyNotServing() {
    if (!m_options.runtimeDirectory.empty()) {
        if (const auto problem =
                runtime_directory::prepare(m_options.runtimeDirectory, ::getuid())) {
            return QString::fromStdString(
                "Halvane " + *problem +
                ". Until that folder is yours alone, Claude Code asks in the terminal.");
        }
    }
    // A live listener of ours is the Halvane already running; only a file
    // left behind by one that crashed is replaced.
    if (unix_socket::ownListenerAt(m_options.socketPath)) {
        return QString::fromStdString(
            "Another Halvane of yours already serves " + m_options.socketPath +
            ". Quit it from its tray menu; this one takes over within seconds.");
    }
    if (const auto error = m_server->start()) {
        return QString::fromStdString("Halvane cannot listen on " + m_options.socketPath + ": " +
                                      error->description +
                                      ". Claude Code asks in the terminal until it can; "
                                      "Halvane tries again every few seconds.");
    }
    return {};
}

void HookServerKeeper::setProblem(const QString& problem) {
    if (problem == m_problem) {
        return;
    }
    if (!problem.isEmpty()) {
        log::system("Halvane: failed to start hook server: " + problem.toStdString());
    } else if (!m_problem.isEmpty()) {
        log::system("Halvane: hook server serving again on " + m_options.socketPath);
    }
    m_problem = problem;
    emit problemChanged(m_problem);
}

}  // namespace halvane
