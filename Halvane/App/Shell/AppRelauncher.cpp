#include "Halvane/App/Shell/AppRelauncher.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QProcess>

#include "Halvane/App/Shell/AutostartEntry.h"
#include "Halvane/Platform/posix/Log.h"

namespace halvane::AppRelauncher {

namespace {

constexpr const char* kShell = "/bin/sh";

// After the current event, so the caller's own work finishes first.
void quitSoon() {
    if (auto* application = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(application, &QCoreApplication::quit, Qt::QueuedConnection);
    }
}

}  // namespace

QStringList arguments(const std::filesystem::path& executable) {
    return {QStringLiteral("-c"), QString::fromLatin1(kScript),
            QString::fromStdString(executable.string())};
}

bool spawn(const std::filesystem::path& executable) {
    // startDetached starts the shell in a new session and reaps the
    // intermediate process, so nothing of it is tied to this one.
    return QProcess::startDetached(QString::fromLatin1(kShell), arguments(executable));
}

void relaunch() {
    if (const auto executable = AutostartEntry::runningExecutable()) {
        relaunch(*executable);
        return;
    }
    log::system("Halvane: cannot relaunch: the running executable's path is unknown");
    quitSoon();
}

void relaunch(const std::filesystem::path& executable) {
    if (!spawn(executable)) {
        log::system("Halvane: cannot relaunch: /bin/sh could not be started");
    }
    quitSoon();
}

}  // namespace halvane::AppRelauncher
