#include "Halvane/App/HalvaneApp.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdlib>

#include "Halvane/App/NotchKitBridge.h"
#include "Halvane/App/SingleInstance.h"
#include "Halvane/App/TrayMenu.h"
#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Sessions/SessionStore.h"

namespace halvane {

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

void HalvaneApp::choosePlatform() {
    if (isSet("WAYLAND_DISPLAY") && isSet("DISPLAY")) {
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        log::system(std::string("Halvane: a Wayland session; running through XWayland (DISPLAY=") +
                    std::getenv("DISPLAY") + ") so the panel can sit at the top of the screen");
    }
}

std::optional<std::string> HalvaneApp::displayProblem() {
    if (isSet("QT_QPA_PLATFORM") || isSet("DISPLAY")) {
        return std::nullopt;
    }
    if (isSet("WAYLAND_DISPLAY")) {
        return std::string(
            "halvane: this Wayland session has no XWayland (DISPLAY is not set); "
            "Halvane runs through XWayland, so turn it on and start Halvane again");
    }
    return std::string(
        "halvane: no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is "
        "set); Halvane needs a desktop. To see it without one, run "
        "tools/demo/run --screenshots DIR");
}

HalvaneApp::Arguments HalvaneApp::parseArguments(int argc, const char* const* argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    return parseArguments(arguments);
}

HalvaneApp::Arguments HalvaneApp::parseArguments(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Halvane: Claude Code's sessions and permission prompts in a panel at "
                       "the top of the screen."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption socket(
        QStringLiteral("socket"),
        QStringLiteral("Listen for hook events at <path> instead of %1 (for tests; the "
                       "relay uses $HALVANE_SOCKET, else that one).")
            .arg(QString::fromStdString(AppServices::Options().socketPath)),
        QStringLiteral("path"));
    const QCommandLineOption sessions(
        QStringLiteral("show-sessions"),
        QStringLiteral("Open the session list (of the Halvane already running, if any)."));
    const QCommandLineOption settings(
        QStringLiteral("settings"),
        QStringLiteral("Open the settings (of the Halvane already running, if any)."));
    parser.addOptions({help, version, socket, sessions, settings});

    Arguments result;
    if (!parser.parse(arguments)) {
        result.exitText =
            "halvane: " + parser.errorText().toStdString() + " (try 'halvane --help')";
        result.exitStatus = 2;
        return result;
    }
    if (parser.isSet(help)) {
        result.exitText = "Usage: halvane [options]\n" +
                          parser.applicationDescription().toStdString() + "\n\nOptions:\n" +
                          "  -h, --help       " + help.description().toStdString() + "\n" +
                          "  --version        " + version.description().toStdString() + "\n" +
                          "  --show-sessions  " + sessions.description().toStdString() + "\n" +
                          "  --settings       " + settings.description().toStdString() + "\n" +
                          "  --socket <path>  " + socket.description().toStdString() + "\n";
        return result;
    }
    if (parser.isSet(version)) {
        result.exitText = std::string("halvane ") + HALVANE_VERSION + "\n";
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.exitText = "halvane: unexpected argument '" +
                          parser.positionalArguments().first().toStdString() +
                          "' (try 'halvane --help')";
        result.exitStatus = 2;
        return result;
    }
    if (parser.isSet(socket)) {
        result.services.socketPath = parser.value(socket).toStdString();
    }
    if (parser.isSet(sessions) && parser.isSet(settings)) {
        result.exitText =
            "halvane: --show-sessions and --settings ask for different windows; "
            "give one (try 'halvane --help')";
        result.exitStatus = 2;
        return result;
    }
    if (parser.isSet(sessions)) {
        result.request = SingleInstance::Request::showSessions;
    } else if (parser.isSet(settings)) {
        result.request = SingleInstance::Request::showSettings;
    }
    return result;
}

HalvaneApp::HalvaneApp(Arguments arguments, QObject* parent)
    : QObject(parent), m_services(std::move(arguments.services)), m_request(arguments.request) {
    QApplication::setApplicationName(QStringLiteral("Halvane"));
    QApplication::setApplicationVersion(QStringLiteral(HALVANE_VERSION));
    // The application's id: the desktop entry's name, the bus name, the autostart entry's.
    QApplication::setDesktopFileName(QString::fromLatin1(SingleInstance::serviceName));
    NotchKitBridge::install();
    // A tray application: closing a window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    m_tray = std::make_unique<TrayMenu>();
    connect(m_tray.get(), &TrayMenu::quitRequested, qApp, &QCoreApplication::quit);
    m_services.attachTray(*m_tray);
}

HalvaneApp::~HalvaneApp() = default;

void HalvaneApp::launch() {
    m_tray->show();
    m_services.start();
    if (SingleInstance::isUsersSocket(m_services.options().socketPath)) {
        m_instance = std::make_unique<SingleInstance>([this] {
            const SessionStore* sessions = m_services.sessions();
            return sessions != nullptr ? static_cast<int>(sessions->sessions().size()) : 0;
        });
        connect(m_instance.get(), &SingleInstance::settingsRequested, this,
                [this] { m_services.showSettings(); });
        connect(m_instance.get(), &SingleInstance::sessionsRequested, this,
                [this] { m_services.showSessions(); });
    }
    // Asked for on the command line of the first launch. The list opens as
    // soon as the scanner finds sessions, within the list's usual wait.
    if (m_request != SingleInstance::Request::activate) {
        QTimer::singleShot(0, this, [this] {
            if (m_request == SingleInstance::Request::showSessions) {
                m_services.showSessions();
            } else {
                m_services.showSettings();
            }
        });
    }
}

}  // namespace halvane
