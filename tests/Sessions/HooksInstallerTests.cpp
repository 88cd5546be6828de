#include <gtest/gtest.h>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "ChildProcess.h"
#include "HooksInstallerFixture.h"
#include "LogCapture.h"

namespace fs = std::filesystem;
namespace HooksInstaller = halvane::HooksInstaller;
using halvane::HooksResult;
using Outcome = HooksResult::Outcome;
using halvane::test::readFile;
using halvane::test::writeFile;
using nlohmann::json;

namespace {

constexpr const char* failedPrefix = "failed to write settings: ";

ino_t inodeOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_ino;
}

json managedGroup(const std::string& relay) {
    return json{{"halvane-managed", true},
                {"hooks", json::array({json{{"type", "command"}, {"command", relay}}})}};
}

// The group of the event whose card waits as long as Claude Code's dialog.
json waitingGroup(const std::string& relay) {
    json group = managedGroup(relay);
    group["hooks"][0]["timeout"] = 86400;
    return group;
}

json userGroup(const std::string& matcher, const std::string& command) {
    return json{{"matcher", matcher},
                {"hooks", json::array({json{{"type", "command"}, {"command", command}}})}};
}

// The managed groups of one event, wherever they sit.
int managedCount(const json& groups) {
    int count = 0;
    for (const json& group : groups) {
        count += group.value("halvane-managed", false) ? 1 : 0;
    }
    return count;
}

// Claude's folder made read-only for the test's life. Root may write
// anywhere, so as root the test process touches files as nobody meanwhile,
// for whom the folders must be open to read.
class ReadOnlyFolder final {
public:
    ReadOnlyFolder(const fs::path& root, fs::path folder) : m_folder(std::move(folder)) {
        constexpr auto open = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec;
        fs::permissions(root, open);
        fs::permissions(m_folder, open & ~fs::perms::owner_write);
        if (::geteuid() == 0) {
            ::setfsuid(nobody);
        }
    }
    ~ReadOnlyFolder() {
        if (::geteuid() == 0) {
            ::setfsuid(0);
        }
        fs::permissions(m_folder, fs::perms::owner_write, fs::perm_options::add);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

private:
    static constexpr uid_t nobody = 65534;
    fs::path m_folder;
};

HooksResult installed(const std::string& relay) {
    return {Outcome::installed, relay};
}
HooksResult alreadyInstalled(const std::string& relay) {
    return {Outcome::alreadyInstalled, relay};
}
const HooksResult removed{Outcome::removed, {}};
const HooksResult nothingToRemove{Outcome::nothingToRemove, {}};
const HooksResult restored{Outcome::restored, {}};

using HooksInstallerTest = halvane::test::HooksInstallerFixture;

}  // namespace

TEST_F(HooksInstallerTest, FindsTheRelayOnlyAsAnExecutableFileNextToTheExecutable) {
    EXPECT_EQ(HooksInstaller::hookBinaryPath(), m_relay);

    fs::permissions(m_relay, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(HooksInstaller::hookBinaryPath(), std::nullopt);
    fs::remove(m_relay);
    EXPECT_EQ(HooksInstaller::hookBinaryPath(), std::nullopt);
    fs::create_directory(m_relay);
    EXPECT_EQ(HooksInstaller::hookBinaryPath(), std::nullopt);

    // Without an override it is the running executable's folder: the test
    // binaries are built next to the real relay.
    HooksInstaller::setExecutablePathForTesting(std::nullopt);
    EXPECT_EQ(HooksInstaller::hookBinaryPath(),
              (fs::path(halvane::test::binaryDirectory()) / "halvane-hook").string());
}

TEST_F(HooksInstallerTest, KeepsItsBackupBesideTheSettingsInClaudesFolder) {
    EXPECT_EQ(HooksInstaller::backupPath(), m_backup);
    ::unsetenv("CLAUDE_CONFIG_DIR");
    EXPECT_EQ(HooksInstaller::backupPath(),
              fs::path(std::getenv("HOME")) / ".claude" / "settings.json.halvane-backup");
}

TEST_F(HooksInstallerTest, InstallsIntoAFreshFolderWithOnlyTheHooksAndNoBackup) {
    EXPECT_FALSE(HooksInstaller::isInstalled());
    EXPECT_EQ(HooksInstaller::installIfNeeded(), installed(m_relay));

    const auto group = [this](bool waits) {
        return "      {\n"
               "        \"halvane-managed\": true,\n"
               "        \"hooks\": [\n"
               "          {\n"
               "            \"command\": \"" +
               m_relay + "\",\n" + (waits ? "            \"timeout\": 86400,\n" : "") +
               "            \"type\": \"command\"\n"
               "          }\n"
               "        ]\n"
               "      }\n";
    };
    std::string expected = "{\n  \"hooks\": {\n";
    for (const char* event : {"Notification", "PermissionRequest", "PostToolUse",
                              "PostToolUseFailure", "PreToolUse", "SessionEnd", "SessionStart",
                              "Stop", "SubagentStart", "SubagentStop", "UserPromptSubmit"}) {
        expected += std::string(expected.ends_with("{\n") ? "" : "    ],\n") + "    \"" + event +
                    "\": [\n" + group(std::string_view(event) == "PermissionRequest");
    }
    EXPECT_EQ(readFile(m_settings), expected + "    ]\n  }\n}\n");
    EXPECT_FALSE(fs::exists(m_backup));
    EXPECT_TRUE(HooksInstaller::isInstalled());
}

TEST_F(HooksInstallerTest, InstallsUnderHomeWhenNoConfigFolderIsSet) {
    ::unsetenv("CLAUDE_CONFIG_DIR");
    const fs::path home = std::getenv("HOME");
    fs::remove_all(home / ".claude");
    EXPECT_EQ(HooksInstaller::installIfNeeded(), installed(m_relay));
    EXPECT_TRUE(HooksInstaller::isInstalled());
    EXPECT_EQ(json::parse(readFile(home / ".claude" / "settings.json"))["hooks"]["Stop"],
              json::array({managedGroup(m_relay)}));
    fs::remove_all(home / ".claude");
}

TEST_F(HooksInstallerTest, KeepsTheUsersGroupsFirstAndEveryOtherKey) {
    const json original = {
        {"model", "opus"},
        {"env", {{"DEBUG", "1"}}},
        {"hooks",
         {{"PreToolUse", json::array({userGroup("Bash", "/usr/local/bin/audit")})},
          {"PostToolUse", json::array({userGroup("Edit", "/usr/local/bin/fmt")})}}}};
    const std::string originalText = original.dump();
    writeFile(m_settings, originalText);

    EXPECT_EQ(HooksInstaller::installIfNeeded(), installed(m_relay));
    json expected = original;
    expected["hooks"]["PreToolUse"].push_back(managedGroup(m_relay));
    expected["hooks"]["PostToolUse"].push_back(managedGroup(m_relay));
    expected["hooks"]["PermissionRequest"] = json::array({waitingGroup(m_relay)});
    expected["hooks"]["PostToolUseFailure"] = json::array({managedGroup(m_relay)});
    for (const char* event : {"Notification", "Stop", "SessionStart", "SessionEnd",
                              "UserPromptSubmit", "SubagentStart", "SubagentStop"}) {
        expected["hooks"][event] = json::array({managedGroup(m_relay)});
    }
    EXPECT_EQ(settings(), expected);
    EXPECT_EQ(readFile(m_backup), originalText);

    // A second run finds everything in place and does not touch the file.
    const std::string installed = readFile(m_settings);
    const ino_t inode = inodeOf(m_settings);
    EXPECT_EQ(HooksInstaller::installIfNeeded(), alreadyInstalled(m_relay));
    EXPECT_EQ(readFile(m_settings), installed);
    EXPECT_EQ(inodeOf(m_settings), inode);
}

TEST_F(HooksInstallerTest, AMovedAppReplacesItsGroupsWithTheNewPath) {
    writeFile(m_settings,
              json{{"hooks", {{"Stop", json::array({userGroup("", "/bin/true")})}}}}.dump());
    ASSERT_EQ(HooksInstaller::installIfNeeded(), installed(m_relay));
    ASSERT_TRUE(HooksInstaller::isInstalled());

    fs::rename(m_root / "app", m_root / "moved");
    HooksInstaller::setExecutablePathForTesting(m_root / "moved" / "halvane");
    const std::string moved = (m_root / "moved" / "halvane-hook").string();
    EXPECT_FALSE(HooksInstaller::isInstalled());

    EXPECT_EQ(HooksInstaller::installIfNeeded(), installed(moved));
    const json hooks = settings()["hooks"];
    for (const char* event : {"PreToolUse", "Notification", "Stop"}) {
        EXPECT_EQ(managedCount(hooks[event]), 1) << event;
        EXPECT_EQ(hooks[event].back(), managedGroup(moved)) << event;
    }
    EXPECT_EQ(hooks["PermissionRequest"], json::array({waitingGroup(moved)}));
    EXPECT_EQ(hooks["Stop"].front(), userGroup("", "/bin/true"));
    EXPECT_TRUE(HooksInstaller::isInstalled());
}

TEST_F(HooksInstallerTest, QuotesARelayPathTheShellWouldSplit) {
    // Claude Code hands the command to /bin/sh -c.
    const std::string relay = makeApp("Joe's apps/$HOME & co");
    HooksInstaller::setExecutablePathForTesting(fs::path(relay).parent_path() / "halvane");
    EXPECT_EQ(HooksInstaller::installIfNeeded(), installed(relay));
    const std::string command = settings()["hooks"]["Stop"][0]["hooks"][0]["command"];
    EXPECT_NE(command, relay);
    const auto run = halvane::test::runChild({"/bin/sh", "-c", command});
    EXPECT_EQ(run.exitStatus, 0) << run.standardError;
    EXPECT_EQ(run.standardOutput, "{}\n");

    EXPECT_TRUE(HooksInstaller::isInstalled());
    EXPECT_EQ(HooksInstaller::installIfNeeded(), alreadyInstalled(relay));
}

TEST_F(HooksInstallerTest, ReplacesAStaleManagedGroupAndLeavesLookalikesAlone) {
    const json stale = managedGroup("/opt/old/halvane-hook");
    json notOurs = managedGroup("/opt/other/hook");
    notOurs["halvane-managed"] = "true";
    writeFile(
        m_settings,
        json{{"hooks",
              {{"PreToolUse", json::array({stale, userGroup("Bash", "/bin/audit"), notOurs})}}}}
            .dump());

    EXPECT_EQ(HooksInstaller::installIfNeeded(), installed(m_relay));
    EXPECT_EQ(settings()["hooks"]["PreToolUse"],
              json::array({userGroup("Bash", "/bin/audit"), notOurs, managedGroup(m_relay)}));
}

TEST_F(HooksInstallerTest, NeverOverwritesAFileItCannotEditAndSaysWhy) {
    struct Case {
        std::string text;
        std::string reason;
        // Uninstalling a file that reads as an object finds nothing of ours;
        // one that does not cannot be edited at all.
        bool readsAsObject;
    };
    const std::string path = m_settings.string();
    const Case cases[] = {
        {"{\"model\": \"opus\",}", "", false},
        {"[\"hooks\"]", path + " holds a JSON array, not an object", false},
        {"\"hooks\"", path + " holds a JSON string, not an object", false},
        {R"({"hooks": ["PreToolUse"]})", "\"hooks\" in " + path + " is not an object", true},
        {R"({"hooks": {"Stop": {"command": "x"}}})",
         "\"hooks\" → \"Stop\" in " + path + " is not a list", true},
        // A rewrite would silently drop one of the two values.
        {R"({"hooks": {}, "model": "opus", "model": "sonnet"})",
         path + " holds the key \"model\" twice in one object", true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.text);
        writeFile(m_settings, test.text);
        const HooksResult result = HooksInstaller::installIfNeeded();
        EXPECT_EQ(result.outcome, Outcome::writeFailed);
        EXPECT_TRUE(result.failed());
        if (!test.reason.empty()) {
            EXPECT_EQ(result.detail, test.reason);
            EXPECT_EQ(result.text(), failedPrefix + test.reason);
        } else {
            EXPECT_NE(result.detail.find(path + " is not valid JSON (parse error"),
                      std::string::npos)
                << result.detail;
        }
        const HooksResult removal = HooksInstaller::uninstall();
        if (test.readsAsObject) {
            EXPECT_EQ(removal, nothingToRemove);
        } else {
            EXPECT_EQ(removal.outcome, Outcome::writeFailed);
            EXPECT_EQ(removal.detail, result.detail);
        }
        EXPECT_FALSE(HooksInstaller::isInstalled());
        EXPECT_FALSE(HooksInstaller::removeAllowRule("Bash"));
        EXPECT_EQ(readFile(m_settings), test.text);
        EXPECT_FALSE(fs::exists(m_backup));
    }
}

TEST_F(HooksInstallerTest, AFolderItMayNotWriteInFailsWithTheSystemsReason) {
    writeFile(m_settings, R"({"model": "opus"})");
    ASSERT_EQ(HooksInstaller::installIfNeeded(), installed(m_relay));
    const std::string installedText = readFile(m_settings);
    fs::remove(m_backup);
    // Moved, so the groups must be rewritten.
    const fs::path moved = m_root / "moved";
    fs::create_directory(moved);
    fs::copy_file(m_relay, moved / "halvane-hook");
    HooksInstaller::setExecutablePathForTesting(moved / "halvane");
    const ReadOnlyFolder readOnly(m_root.path(), m_claude);

    const HooksResult install = HooksInstaller::installIfNeeded();
    EXPECT_EQ(install.outcome, Outcome::writeFailed);
    EXPECT_NE(install.detail.find("Permission denied"), std::string::npos) << install.detail;
    EXPECT_EQ(install.text(), failedPrefix + install.detail);

    const HooksResult removal = HooksInstaller::uninstall();
    EXPECT_EQ(removal.outcome, Outcome::writeFailed);
    EXPECT_NE(removal.detail.find("Permission denied"), std::string::npos) << removal.detail;
    EXPECT_EQ(readFile(m_settings), installedText);
    EXPECT_FALSE(fs::exists(m_backup));
}

TEST_F(HooksInstallerTest, SkipsWithoutARelaySayingWhereItMustBe) {
    fs::remove(m_relay);
    const HooksResult result = HooksInstaller::installIfNeeded();
    EXPECT_EQ(result, (HooksResult{Outcome::relayMissing, m_relay}));
    EXPECT_TRUE(result.failed());
    EXPECT_EQ(result.text(), "skip: halvane-hook not found next to app binary");
    EXPECT_FALSE(fs::exists(m_claude));
    EXPECT_FALSE(HooksInstaller::isInstalled());
}

TEST_F(HooksInstallerTest, EditsTheTargetOfALinkedSettingsFileAndKeepsItsMode) {
    const fs::path real = m_root / "dotfiles" / "claude-settings.json";
    writeFile(real, R"({"model": "opus"})");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_directories(m_claude);
    fs::create_symlink("../dotfiles/claude-settings.json", m_settings);

    EXPECT_EQ(HooksInstaller::installIfNeeded(), installed(m_relay));
    EXPECT_TRUE(HooksInstaller::addAllowRule("Edit"));
    EXPECT_TRUE(fs::is_symlink(m_settings));
    EXPECT_EQ(fs::read_symlink(m_settings), "../dotfiles/claude-settings.json");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_TRUE(HooksInstaller::isInstalled());
    EXPECT_EQ(json::parse(readFile(real))["model"], "opus");

    // The backup is a plain copy of what the link led to.
    EXPECT_FALSE(fs::is_symlink(m_backup));
    EXPECT_EQ(readFile(m_backup), R"({"model": "opus"})");

    // Restoring puts the old settings where the link points, not in its place.
    EXPECT_EQ(HooksInstaller::restoreBackup(), restored);
    EXPECT_TRUE(fs::is_symlink(m_settings));
    EXPECT_EQ(readFile(real), R"({"model": "opus"})");
    EXPECT_FALSE(fs::exists(m_backup));
}

TEST_F(HooksInstallerTest, MakesTheBackupOnceAndNeverOverwritesIt) {
    const std::string original = "{\"model\": \"sonnet\"}\n";
    writeFile(m_settings, original);
    ASSERT_EQ(HooksInstaller::installIfNeeded(), installed(m_relay));
    ASSERT_EQ(readFile(m_backup), original);

    ASSERT_EQ(HooksInstaller::uninstall(), removed);
    ASSERT_EQ(HooksInstaller::installIfNeeded(), installed(m_relay));
    fs::rename(m_root / "app", m_root / "moved");
    HooksInstaller::setExecutablePathForTesting(m_root / "moved" / "halvane");
    ASSERT_EQ(HooksInstaller::installIfNeeded(),
              installed((m_root / "moved" / "halvane-hook").string()));
    EXPECT_EQ(readFile(m_backup), original);
}

TEST_F(HooksInstallerTest, UninstallRemovesOnlyItsOwnGroups) {
    EXPECT_EQ(HooksInstaller::uninstall(), nothingToRemove);  // no file at all

    writeFile(m_settings, R"({"model": "opus"})");
    EXPECT_EQ(HooksInstaller::uninstall(), nothingToRemove);  // no hooks
    ASSERT_EQ(HooksInstaller::installIfNeeded(), installed(m_relay));
    EXPECT_EQ(HooksInstaller::uninstall(), removed);
    EXPECT_EQ(settings(), json({{"model", "opus"}}));
    EXPECT_TRUE(fs::exists(m_backup));

    const std::string untouched = readFile(m_settings);
    EXPECT_EQ(HooksInstaller::uninstall(), nothingToRemove);
    EXPECT_EQ(readFile(m_settings), untouched);

    const json users = {{"PreToolUse", json::array({userGroup("Bash", "/bin/audit")})},
                        {"PostToolUse", json::array({userGroup("Edit", "/bin/fmt")})}};
    writeFile(m_settings, json{{"hooks", users}}.dump());
    ASSERT_EQ(HooksInstaller::installIfNeeded(), installed(m_relay));
    EXPECT_EQ(HooksInstaller::uninstall(), removed);
    EXPECT_EQ(settings(), json({{"hooks", users}}));
    EXPECT_FALSE(HooksInstaller::isInstalled());
}

TEST_F(HooksInstallerTest, IsInstalledOnlyWhenEveryEventHasTheCurrentGroup) {
    ASSERT_EQ(HooksInstaller::installIfNeeded(), installed(m_relay));
    json edited = settings();
    edited["hooks"].erase("Notification");
    writeFile(m_settings, edited.dump());
    EXPECT_FALSE(HooksInstaller::isInstalled());

    edited = settings();
    edited["hooks"]["Notification"] = json::array({managedGroup(m_relay)});
    edited["hooks"]["Stop"][0]["hooks"].push_back("not a hook");
    writeFile(m_settings, edited.dump());
    EXPECT_FALSE(HooksInstaller::isInstalled());
    EXPECT_EQ(HooksInstaller::installIfNeeded(), installed(m_relay));
    EXPECT_TRUE(HooksInstaller::isInstalled());
}

TEST_F(HooksInstallerTest, UpgradesAnOlderInstallToEveryEventItServes) {
    // What earlier versions wrote: three events, and a request group without
    // the long time limit, beside the user's own groups; and a group a tool
    // rewrote without our marker.
    json unmarked = managedGroup(m_relay);
    unmarked.erase("halvane-managed");
    const json older = {
        {"hooks",
         {{"PreToolUse", json::array({unmarked})},
          {"Notification", json::array({managedGroup(m_relay)})},
          {"Stop", json::array({userGroup("", "/bin/true"), managedGroup(m_relay)})},
          {"PermissionRequest",
           json::array({userGroup("Bash", "/bin/audit"), managedGroup(m_relay)})}}}};
    writeFile(m_settings, older.dump());
    EXPECT_FALSE(HooksInstaller::isInstalled());

    EXPECT_EQ(HooksInstaller::installIfNeeded(), installed(m_relay));
    EXPECT_TRUE(HooksInstaller::isInstalled());
    const json hooks = settings()["hooks"];
    EXPECT_EQ(hooks["PermissionRequest"],
              json::array({userGroup("Bash", "/bin/audit"), waitingGroup(m_relay)}));
    EXPECT_EQ(hooks["Stop"], json::array({userGroup("", "/bin/true"), managedGroup(m_relay)}));
    for (const char* event :
         {"PreToolUse", "PostToolUse", "PostToolUseFailure", "Notification", "SessionStart",
          "SessionEnd", "UserPromptSubmit", "SubagentStart", "SubagentStop"}) {
        EXPECT_EQ(hooks[event], json::array({managedGroup(m_relay)})) << event;
    }
    EXPECT_EQ(HooksInstaller::installIfNeeded(), alreadyInstalled(m_relay));

    // Uninstalling finds our groups with or without the marker.
    json edited = settings();
    edited["hooks"]["SessionEnd"] = json::array({unmarked});
    writeFile(m_settings, edited.dump());
    EXPECT_EQ(HooksInstaller::uninstall(), removed);
    EXPECT_EQ(settings()["hooks"],
              json({{"PermissionRequest", json::array({userGroup("Bash", "/bin/audit")})},
                    {"Stop", json::array({userGroup("", "/bin/true")})}}));
}

TEST_F(HooksInstallerTest, RestoreBringsBackTheOriginalInOneStep) {
    writeFile(m_settings, R"({"model": "opus"})");
    EXPECT_EQ(HooksInstaller::restoreBackup(), (HooksResult{Outcome::noBackup, m_backup.string()}));
    EXPECT_EQ(readFile(m_settings), R"({"model": "opus"})");

    ASSERT_EQ(HooksInstaller::installIfNeeded(), installed(m_relay));
    EXPECT_EQ(HooksInstaller::restoreBackup(), restored);
    EXPECT_EQ(readFile(m_settings), R"({"model": "opus"})");
    EXPECT_FALSE(fs::exists(m_backup));
    EXPECT_FALSE(HooksInstaller::isInstalled());
    EXPECT_EQ(HooksInstaller::restoreBackup(), (HooksResult{Outcome::noBackup, m_backup.string()}));

    // Someone watching the folder must always find a settings file.
    std::atomic<bool> done = false;
    std::atomic<int> missing = 0;
    std::thread watcher([&] {
        while (!done) {
            if (::access(m_settings.c_str(), F_OK) != 0) {
                ++missing;
            }
        }
    });
    for (int round = 0; round < 300; ++round) {
        writeFile(m_backup, "{\"round\": " + std::to_string(round) + "}");
        ASSERT_EQ(HooksInstaller::restoreBackup(), restored);
    }
    done = true;
    watcher.join();
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(readFile(m_settings), "{\"round\": 299}");
}

TEST_F(HooksInstallerTest, AFailedRestoreIsLoggedAndKeepsBothFiles) {
    writeFile(m_backup, R"({"model": "opus"})");
    // Whatever is in the settings file's place that is not a file stays put.
    fs::create_directories(m_settings / "inside");
    const halvane::test::LogCapture log;
    EXPECT_EQ(HooksInstaller::restoreBackup(),
              (HooksResult{Outcome::writeFailed, m_settings.string() + " is not a regular file"}));
    EXPECT_EQ(readFile(m_backup), R"({"model": "opus"})");
    EXPECT_TRUE(fs::exists(m_settings / "inside"));

    // A backup that cannot be moved leaves the settings as they are.
    fs::remove_all(m_settings);
    fs::remove(m_backup);
    writeFile(m_settings, "{}");
    fs::create_directories(m_backup);
    const HooksResult unmoved = HooksInstaller::restoreBackup();
    EXPECT_EQ(unmoved.outcome, Outcome::writeFailed);
    EXPECT_TRUE(unmoved.failed());
    EXPECT_EQ(readFile(m_settings), "{}");

    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{
                  "HooksInstaller.restoreBackup failed: " + m_settings.string() +
                      " is not a regular file",
                  "HooksInstaller.restoreBackup failed: cannot move " + m_backup.string() + " to " +
                      m_settings.string() + ": Not a directory"}));
}
