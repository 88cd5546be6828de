#include "Halvane/Platform/linux/DesktopAccessibilitySettings.h"

#include <QProcess>
#include <QStandardPaths>

#include <array>

#include "Halvane/Platform/posix/Log.h"

namespace halvane {

namespace {

struct Candidate {
    const char* program;
    const char* panel;
};

constexpr std::array<Candidate, 2> kCandidates = {{
    {"gnome-control-center", "universal-access"},
    {"systemsettings", "kcm_access"},
}};

}  // namespace

std::optional<QStringList> DesktopAccessibilitySettings::command() {
    for (const auto& candidate : kCandidates) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(candidate.program));
        if (!path.isEmpty()) {
            return QStringList{path, QString::fromLatin1(candidate.panel)};
        }
    }
    return std::nullopt;
}

bool DesktopAccessibilitySettings::open() {
    const auto found = command();
    if (!found) {
        log::system(
            "Halvane: no accessibility settings to open (neither gnome-control-center nor "
            "systemsettings is installed)");
        return false;
    }
    QStringList arguments = *found;
    const QString program = arguments.takeFirst();
    if (!QProcess::startDetached(program, arguments)) {
        log::system("Halvane: could not start " + program.toStdString());
        return false;
    }
    return true;
}

}  // namespace halvane
