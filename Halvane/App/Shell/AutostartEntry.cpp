#include "Halvane/App/Shell/AutostartEntry.h"

#include <QByteArray>
#include <QSaveFile>
#include <QStandardPaths>
#include <QString>

#include <unistd.h>
#include <string_view>
#include <system_error>

#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Platform/posix/ProcfsProcessTable.h"

namespace halvane::AutostartEntry {

namespace {

namespace fs = std::filesystem;

// Characters that make an Exec argument need quotes.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
// Characters that must carry a backslash inside the quotes.
constexpr std::string_view kEscapedInQuotes = "\"`$\\";
constexpr std::string_view kDeletedSuffix = " (deleted)";

void reportFailure(const std::string& reason) {
    log::system("Autostart entry install failed: " + reason);
}

// The escapes every string value of a desktop entry goes through, applied
// after the Exec quoting.
std::string escapeStringValue(const std::string& value) {
    std::string escaped;
    for (const char c : value) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\r':
                escaped += "\\r";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

}  // namespace

fs::path entryPath() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return fs::path(config.toStdString()) / "autostart" / kEntryName;
}

namespace {

fs::path legacyEntryPath() {
    return entryPath().parent_path() / kLegacyEntryName;
}

void removeLegacyEntry() {
    std::error_code error;
    const fs::path legacy = legacyEntryPath();
    if (fs::exists(legacy, error) && !fs::remove(legacy, error)) {
        log::system("Halvane: could not remove " + legacy.string() + ": " + error.message());
    }
}

}  // namespace

bool isInstalled() {
    std::error_code error;
    return fs::exists(entryPath(), error) || fs::exists(legacyEntryPath(), error);
}

std::optional<fs::path> runningExecutable() {
    auto path = ProcfsProcessTable().executablePath(::getpid());
    if (!path || path->empty() || (*path)[0] != '/') {
        return std::nullopt;
    }
    // An upgrade replaces the file under a running program; the new one at the
    // same place is the one to start.
    if (path->size() > kDeletedSuffix.size() && path->ends_with(kDeletedSuffix)) {
        path->resize(path->size() - kDeletedSuffix.size());
    }
    return fs::path(*path);
}

std::string execArgument(const std::string& argument) {
    std::string text;
    for (const char c : argument) {
        // A lone % would start a field code.
        text += c == '%' ? std::string("%%") : std::string(1, c);
    }
    if (!argument.empty() && argument.find_first_of(kReserved) == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        if (kEscapedInQuotes.find(c) != std::string_view::npos) {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

std::string execLine(const std::string& executable) {
    // GLib checks that the program exists before it expands %%, so a program
    // whose path holds a % would be refused by GNOME's autostart; started
    // through the shell, the path is a plain argument and reaches it intact.
    if (executable.find('%') != std::string::npos) {
        return "/bin/sh -c " + execArgument("exec \"$0\"") + " " + execArgument(executable);
    }
    return execArgument(executable);
}

std::string desktopEntry(const std::string& executable) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Halvane\n"
           "Comment=Claude Code, right at the top of your screen.\n"
           "Exec=" +
           escapeStringValue(execLine(executable)) +
           "\n"
           "Icon=app.halvane.Halvane\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool install() {
    const auto executable = runningExecutable();
    if (!executable) {
        return false;
    }
    return install(*executable);
}

bool install(const fs::path& executable) {
    const fs::path path = entryPath();
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    if (error) {
        reportFailure("could not create " + path.parent_path().string() + ": " + error.message());
        return false;
    }
    // QSaveFile writes beside the target and renames over it, so a failed
    // write never leaves half an entry behind.
    QSaveFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::WriteOnly)) {
        reportFailure(file.errorString().toStdString());
        return false;
    }
    const std::string text = desktopEntry(executable.string());
    if (file.write(text.data(), static_cast<qint64>(text.size())) !=
        static_cast<qint64>(text.size())) {
        reportFailure(file.errorString().toStdString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        reportFailure(file.errorString().toStdString());
        return false;
    }
    removeLegacyEntry();
    return true;
}

bool uninstall() {
    removeLegacyEntry();
    const fs::path path = entryPath();
    std::error_code error;
    if (!fs::exists(path, error)) {
        return true;
    }
    // A failed removal shows itself: the caller's next check still finds it.
    if (!fs::remove(path, error)) {
        log::system("Halvane: could not remove " + path.string() + ": " + error.message());
    }
    return true;
}

}  // namespace halvane::AutostartEntry
