// Halvane, the desktop companion for Claude Code.
#include <QApplication>

#include <cstdio>

#include "Halvane/App/HalvaneApp.h"
#include "Halvane/App/SingleInstance.h"
#include "Halvane/Platform/posix/Log.h"

int main(int argc, char** argv) {
    auto arguments = halvane::HalvaneApp::parseArguments(argc, argv);
    if (arguments.exitText) {
        if (arguments.exitStatus == 0) {
            std::fputs(arguments.exitText->c_str(), stdout);
        } else {
            halvane::log::error(*arguments.exitText);
        }
        return arguments.exitStatus;
    }
    if (const auto problem = halvane::HalvaneApp::displayProblem()) {
        halvane::log::error(*problem);
        return 1;
    }
    halvane::HalvaneApp::choosePlatform();
    QApplication application(argc, argv);
    // Before anything of ours exists: a second copy must not take the hook
    // socket from the running one.
    if (halvane::SingleInstance::handOver(arguments.services.socketPath, arguments.request)) {
        return 0;
    }
    halvane::HalvaneApp app(std::move(arguments));
    app.launch();
    return QApplication::exec();
}
