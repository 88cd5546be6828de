#include <gtest/gtest.h>

#include <QStandardPaths>

#include <filesystem>

#include "ChildProcess.h"
#include "Halvane/App/Shell/AutostartEntry.h"
#include "HostilePaths.h"
#include "LogCapture.h"
#include "MissingService.h"
#include "QtTestEnvironment.h"
#include "ShellFixture.h"

namespace halvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;

class AutostartEntryTest : public test::ShellFixture {
protected:
    AutostartEntryTest() { test::qtApplication(); }

    static fs::path folder() { return AutostartEntry::entryPath().parent_path(); }

    static std::vector<std::string> filesInFolder() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder())) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    // The Exec line of an entry, as written in the file.
    static std::string execLineOf(const std::string& entry) {
        const auto start = entry.find("\nExec=");
        if (start == std::string::npos) {
            return {};
        }
        const auto end = entry.find('\n', start + 1);
        return entry.substr(start + 6, end - start - 6);
    }
};

TEST_F(AutostartEntryTest, TheEntryLivesInTheUsersAutostartFolderUnderTheApplicationsId) {
    const std::string config = std::getenv("XDG_CONFIG_HOME");
    EXPECT_EQ(AutostartEntry::entryPath(),
              fs::path(config) / "autostart" / "app.halvane.Halvane.desktop");

    // An entry of an earlier version still counts, and gives way to the new name.
    const fs::path legacy = fs::path(config) / "autostart" / "app.halvane.agent.desktop";
    test::writeFile(legacy, AutostartEntry::desktopEntry("/usr/bin/halvane"));
    EXPECT_TRUE(AutostartEntry::isInstalled());
    ASSERT_TRUE(AutostartEntry::install("/usr/bin/halvane"));
    EXPECT_EQ(filesInFolder(), std::vector<std::string>{"app.halvane.Halvane.desktop"});
    test::writeFile(legacy, AutostartEntry::desktopEntry("/usr/bin/halvane"));
    ASSERT_TRUE(AutostartEntry::uninstall());
    EXPECT_FALSE(AutostartEntry::isInstalled());
    EXPECT_TRUE(filesInFolder().empty());
}

TEST_F(AutostartEntryTest, InstallCreatesTheFolderAndAnEntryThatStartsThisProgram) {
    ASSERT_FALSE(fs::exists(folder()));
    EXPECT_FALSE(AutostartEntry::isInstalled());

    ASSERT_TRUE(AutostartEntry::install());

    EXPECT_TRUE(AutostartEntry::isInstalled());
    const std::string entry = readFile(AutostartEntry::entryPath());
    const auto running = AutostartEntry::runningExecutable();
    ASSERT_TRUE(running);
    EXPECT_TRUE(running->is_absolute());
    EXPECT_EQ(*running, fs::canonical("/proc/self/exe"));
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u) << entry;
    EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nName=Halvane\n"), std::string::npos) << entry;
    EXPECT_EQ(execLineOf(entry), running->string());
}

TEST_F(AutostartEntryTest, InstallingTwiceLeavesOneEntryAndNoTemporaryFiles) {
    ASSERT_TRUE(AutostartEntry::install());
    const std::string first = readFile(AutostartEntry::entryPath());
    ASSERT_TRUE(AutostartEntry::install());
    EXPECT_EQ(filesInFolder(), std::vector<std::string>{"app.halvane.Halvane.desktop"});
    EXPECT_EQ(readFile(AutostartEntry::entryPath()), first);
}

TEST_F(AutostartEntryTest, InstallReplacesAnEntryForAMovedApplication) {
    ASSERT_TRUE(AutostartEntry::install("/opt/old place/halvane"));
    ASSERT_TRUE(AutostartEntry::install("/usr/bin/halvane"));
    EXPECT_EQ(execLineOf(readFile(AutostartEntry::entryPath())), "/usr/bin/halvane");
}

TEST_F(AutostartEntryTest, UninstallRemovesTheEntryAndIsFineWithoutOne) {
    EXPECT_TRUE(AutostartEntry::uninstall());
    EXPECT_FALSE(fs::exists(folder())) << "uninstalling nothing creates nothing";

    ASSERT_TRUE(AutostartEntry::install());
    EXPECT_TRUE(AutostartEntry::uninstall());
    EXPECT_FALSE(AutostartEntry::isInstalled());
    EXPECT_TRUE(AutostartEntry::uninstall());
}

TEST_F(AutostartEntryTest, AnUnwritableFolderFailsWithALogLineAndNoEntry) {
    // A file where the folder should be: nothing can be created below it.
    test::writeFile(folder(), "not a folder");
    const test::LogCapture log;
    EXPECT_FALSE(AutostartEntry::install());
    EXPECT_FALSE(AutostartEntry::isInstalled());
    bool reported = false;
    for (const std::string& line : log.lines()) {
        reported = reported || line.rfind("Autostart entry install failed: ", 0) == 0;
    }
    EXPECT_TRUE(reported);
    EXPECT_EQ(readFile(folder()), "not a folder");
}

TEST_F(AutostartEntryTest, PlainPathsStayBareAndOthersAreQuotedAndEscaped) {
    EXPECT_EQ(AutostartEntry::execArgument("/usr/bin/halvane"), "/usr/bin/halvane");
    EXPECT_EQ(AutostartEntry::execArgument("/opt/my apps/halvane"), "\"/opt/my apps/halvane\"");
    EXPECT_EQ(AutostartEntry::execArgument("/a\"b`c$d\\e"), "\"/a\\\"b\\`c\\$d\\\\e\"");
    EXPECT_EQ(AutostartEntry::execArgument("/100%"), "/100%%");
    // In the file, every backslash of the quoting is itself escaped.
    EXPECT_EQ(execLineOf(AutostartEntry::desktopEntry("/a$b")), "\"/a\\\\$b\"");
}

// The desktop's own launcher reads the entry back: GLib's, through gio, as
// GNOME's session does for autostart entries.
TEST_F(AutostartEntryTest, ALauncherStartsTheProgramAtAnyHostilePath) {
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty()) {
        HALVANE_SKIP_UNLESS_CI("gio (libglib2.0-bin) is not installed");
    }
    for (const std::string& name : test::hostileFolderNames()) {
        SCOPED_TRACE(name);
        const fs::path marker = m_root / "marker";
        fs::remove(marker);
        const fs::path tool = test::markerTool(m_root / "apps" / name, marker);
        const fs::path entry = m_root / "entry.desktop";
        test::writeFile(entry, AutostartEntry::desktopEntry(tool.string()));

        const auto launched = test::runChild({gio.toStdString(), "launch", entry.string()});
        ASSERT_EQ(launched.exitStatus, 0) << launched.standardError << readFile(entry);
        ASSERT_TRUE(test::waitUntil([&] {
            return fs::exists(marker) && fs::file_size(marker) > 0;
        })) << readFile(entry);
        EXPECT_EQ(readFile(marker), tool.string() + "|0");
    }
}

TEST_F(AutostartEntryTest, BothDesktopEntriesPassTheValidator) {
    const QString validate =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validate.isEmpty()) {
        HALVANE_SKIP_UNLESS_CI("desktop-file-validate (desktop-file-utils) is not installed");
    }
    const fs::path shipped = fs::path(HALVANE_SOURCE_DIR) / "data" / "app.halvane.Halvane.desktop";
    const fs::path autostart = m_root / "app.halvane.Halvane.desktop";
    test::writeFile(autostart, AutostartEntry::desktopEntry("/opt/it's \"odd\" $1/halvane"));
    for (const fs::path& entry : {shipped, autostart}) {
        SCOPED_TRACE(entry.string());
        const auto checked = test::runChild({validate.toStdString(), entry.string()});
        EXPECT_EQ(checked.exitStatus, 0) << checked.standardOutput << checked.standardError;
        EXPECT_EQ(checked.standardOutput.find("error"), std::string::npos)
            << checked.standardOutput;
    }
    // The shipped entry's actions reach a running Halvane through its command line.
    const std::string shippedText = readFile(shipped);
    EXPECT_NE(shippedText.find("\nExec=halvane --show-sessions\n"), std::string::npos);
    EXPECT_NE(shippedText.find("\nExec=halvane --settings\n"), std::string::npos);

    const QString appstream = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
    if (appstream.isEmpty()) {
        HALVANE_SKIP_UNLESS_CI("appstreamcli (appstream) is not installed");
    }
    const auto metainfo = test::runChild(
        {appstream.toStdString(), "validate", "--no-net",
         (fs::path(HALVANE_SOURCE_DIR) / "data" / "app.halvane.Halvane.metainfo.xml").string()});
    EXPECT_EQ(metainfo.exitStatus, 0) << metainfo.standardOutput << metainfo.standardError;
}

}  // namespace
}  // namespace halvane
