// notchkit-demo: shows a NotchInfo cycling hidden -> compact -> expanded ->
// hidden on the primary screen. With --screenshots DIR it goes through the
// cycle once and writes one PNG per state (offscreen unless a platform is set).
#include <QApplication>
#include <QColor>
#include <QCommandLineParser>
#include <QFont>
#include <QScreen>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "DemoCycle.h"
#include "NotchKit/NotchBinding.h"
#include "NotchKit/NotchInfo.h"
#include "NotchKit/NotchScreen.h"

using namespace notchkit;

namespace {

bool wantsScreenshots(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]).startsWith("--screenshots")) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const bool screenshots = wantsScreenshots(argc, argv);
    if (screenshots) {
        // Pictures need no display; a desktop screen has no notch, so give
        // the primary screen one unless the caller chose a size.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        if (!qEnvironmentVariableIsSet(NotchScreen::notchVariable)) {
            qputenv(NotchScreen::notchVariable, "200x32");
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("notchkit-demo"));
    QApplication::setFont(QFont(QStringLiteral("Inter")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Cycles a NotchInfo through its states."));
    parser.addHelpOption();
    const QCommandLineOption screenshotOption(
        QStringLiteral("screenshots"), QStringLiteral("Write a PNG of each state into <dir>."),
        QStringLiteral("dir"));
    const QCommandLineOption onceOption(QStringLiteral("once"),
                                        QStringLiteral("Go through the cycle once, then quit."));
    parser.addOption(screenshotOption);
    parser.addOption(onceOption);
    parser.process(app);

    auto progress = std::make_shared<NotchBinding>(0.7);
    NotchInfo::Content content;
    content.icon = NotchInfo::Label::icon(QStringLiteral("sparkle"), QColor(0xD9, 0x77, 0x57));
    content.title = QStringLiteral("Build finished");
    content.description = QStringLiteral("128 tests passed in 42 seconds");
    content.compactTrailing = NotchInfo::Label::progress(progress, QColor(0x34, 0xC7, 0x59));

    NotchTimings timings;
    if (parser.isSet(screenshotOption)) {
        // Hold the closing window long enough to photograph the hidden form.
        timings.closeDelay = std::chrono::milliseconds(2000);
    }
    NotchInfo info(std::move(content), NotchHoverOption::all, NotchStyle::automatic(), timings);

    DemoCycle::Options options;
    if (parser.isSet(screenshotOption)) {
        options.screenshotDirectory = parser.value(screenshotOption);
    }
    options.repeat = !parser.isSet(screenshotOption) && !parser.isSet(onceOption);
    DemoCycle cycle(&info, QGuiApplication::primaryScreen(), options);
    QObject::connect(&cycle, &DemoCycle::finished, &app, [](int code) {
        // Let the last close finish before leaving.
        QTimer::singleShot(50, qApp, [code] { QApplication::exit(code); });
    });
    QTimer::singleShot(0, &cycle, &DemoCycle::start);
    return app.exec();
}
