#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <filesystem>

#include "ChildProcess.h"
#include "Halvane/App/Shell/AppRelauncher.h"
#include "HostilePaths.h"
#include "QtTestEnvironment.h"
#include "ShellFixture.h"

namespace halvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;

class AppRelauncherTest : public test::ShellFixture {
protected:
    AppRelauncherTest() { test::qtApplication(); }

    bool markerWritten() const { return fs::exists(m_marker) && fs::file_size(m_marker) > 0; }

    fs::path m_marker = m_root / "marker";
};

TEST_F(AppRelauncherTest, ThePathIsAnArgumentOfItsOwnNeverPartOfTheScript) {
    for (const std::string& name : test::hostileFolderNames()) {
        SCOPED_TRACE(name);
        const fs::path executable = fs::path("/opt") / name / "halvane";
        const QStringList arguments = AppRelauncher::arguments(executable);
        ASSERT_EQ(arguments.size(), 3);
        EXPECT_EQ(arguments[0], QStringLiteral("-c"));
        EXPECT_EQ(arguments[1], QStringLiteral("sleep 0.4 && exec \"$0\""));
        EXPECT_EQ(arguments[2].toStdString(), executable.string());

        // The shell accepts the command as it will run it.
        std::vector<std::string> check = {"/bin/sh", "-n"};
        for (const QString& argument : arguments) {
            check.push_back(argument.toStdString());
        }
        const auto parsed = test::runChild(check);
        EXPECT_EQ(parsed.exitStatus, 0) << parsed.standardError;
    }
}

TEST_F(AppRelauncherTest, TheShellStartsTheProgramAtAnyHostilePath) {
    std::vector<std::string> names = test::hostileFolderNames();
    names.push_back("new\nline");
    // All at once: each shell waits its moment before starting its program.
    std::vector<std::pair<fs::path, fs::path>> started;
    for (std::size_t index = 0; index < names.size(); ++index) {
        const fs::path marker = m_root / ("marker-" + std::to_string(index));
        const fs::path tool = test::markerTool(m_root / "apps" / names[index], marker);
        ASSERT_TRUE(AppRelauncher::spawn(tool)) << names[index];
        started.emplace_back(tool, marker);
    }
    for (const auto& [tool, marker] : started) {
        SCOPED_TRACE(tool.string());
        ASSERT_TRUE(
            test::waitUntil([&] { return fs::exists(marker) && fs::file_size(marker) > 0; }));
        EXPECT_EQ(readFile(marker), tool.string() + "|0");
    }
    EXPECT_FALSE(fs::exists(fs::current_path() / "pwned"));
}

TEST_F(AppRelauncherTest, RelaunchingStartsTheNewInstanceAndQuitsThisOne) {
    const fs::path tool = test::markerTool(m_root / "apps" / "re launch $x", m_marker);
    auto& application = test::qtApplication();
    // Bounds a failing test only: a relaunch that never quits would hang.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &application, [] { QCoreApplication::exit(99); });
    guard.start(20000);
    QTimer::singleShot(0, &application, [&tool] { AppRelauncher::relaunch(tool); });

    EXPECT_EQ(application.exec(), 0);
    EXPECT_TRUE(test::waitUntil([&] { return markerWritten(); }));
    EXPECT_EQ(readFile(m_marker), tool.string() + "|0");
}

}  // namespace
}  // namespace halvane
