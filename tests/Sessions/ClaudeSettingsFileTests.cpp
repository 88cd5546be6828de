#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Halvane/Sessions/ClaudeSettingsFile.h"
#include "HooksInstallerFixture.h"
#include "TempDir.h"

namespace fs = std::filesystem;
using halvane::ClaudeSettingsFile;
using halvane::test::readFile;
using halvane::test::writeFile;
using nlohmann::json;
using State = ClaudeSettingsFile::State;

namespace {

mode_t permissionBits(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// Nothing half-written may stay behind in a folder we wrote into.
std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class ClaudeSettingsFileTest : public ::testing::Test {
protected:
    halvane::test::TempDir m_dir{"settings"};
    fs::path m_path = m_dir / "settings.json";
    ClaudeSettingsFile m_file{m_path};
};

}  // namespace

TEST_F(ClaudeSettingsFileTest, ReadTellsMissingObjectAndUnusableApart) {
    EXPECT_EQ(m_file.read().state, State::missing);
    EXPECT_EQ(m_file.read().object, json::object());

    writeFile(m_path, R"({"model": "opus", "env": {"A": "1"}})");
    auto contents = m_file.read();
    EXPECT_EQ(contents.state, State::object);
    EXPECT_EQ(contents.object, json({{"model", "opus"}, {"env", {{"A", "1"}}}}));

    // Nothing to lose in an empty file: it reads as an empty object.
    writeFile(m_path, " \n\t\n");
    contents = m_file.read();
    EXPECT_EQ(contents.state, State::object);
    EXPECT_EQ(contents.object, json::object());

    writeFile(m_path, "[1, 2]");
    contents = m_file.read();
    EXPECT_EQ(contents.state, State::unusable);
    EXPECT_EQ(contents.problem, m_path.string() + " holds a JSON array, not an object");

    writeFile(m_path, "{\"model\": \"opus\",\n  // a comment\n}");
    contents = m_file.read();
    EXPECT_EQ(contents.state, State::unusable);
    EXPECT_EQ(
        contents.problem.rfind(m_path.string() + " is not valid JSON (parse error at line 2", 0),
        0u)
        << contents.problem;
    EXPECT_EQ(contents.problem.find("[json.exception"), std::string::npos);

    fs::remove(m_path);
    fs::create_directory(m_path);
    contents = m_file.read();
    EXPECT_EQ(contents.state, State::unusable);
    EXPECT_EQ(contents.problem, m_path.string() + " is not a regular file");

    // A named pipe would block a plain open until someone writes to it.
    fs::remove(m_path);
    ASSERT_EQ(::mkfifo(m_path.c_str(), 0600), 0);
    contents = m_file.read();
    EXPECT_EQ(contents.state, State::unusable);
    EXPECT_EQ(contents.problem, m_path.string() + " is not a regular file");
    EXPECT_EQ(m_file.write(json::object()), m_path.string() + " is not a regular file");
    EXPECT_TRUE(fs::is_fifo(m_path));
}

TEST_F(ClaudeSettingsFileTest, WriteCreatesMissingFoldersAndUsesTheUmaskForNewFiles) {
    const mode_t previous = ::umask(027);
    const fs::path nested = m_dir / "a" / "b" / "settings.json";
    const auto failure = ClaudeSettingsFile(nested).write(json{{"k", 1}});
    ::umask(previous);
    ASSERT_EQ(failure, std::nullopt);
    EXPECT_EQ(json::parse(readFile(nested)), json({{"k", 1}}));
    EXPECT_EQ(permissionBits(nested), 0640u);
}

TEST_F(ClaudeSettingsFileTest, WriteKeepsPermissionBitsAndOwnership) {
    writeFile(m_path, "{}");
    ASSERT_EQ(::chmod(m_path.c_str(), 0604), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(m_path.c_str(), 4321, 4322), 0);
    }
    ASSERT_EQ(m_file.write(json{{"k", 1}}), std::nullopt);
    EXPECT_EQ(permissionBits(m_path), 0604u);
    if (root) {
        struct stat info {};
        ASSERT_EQ(::stat(m_path.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 4321u);
        EXPECT_EQ(info.st_gid, 4322u);
    }
}

TEST_F(ClaudeSettingsFileTest, WriteReplacesTheTargetOfASymbolicLinkAndKeepsTheLink) {
    // settings.json → ../dotfiles/link.json → real.json (relative links, resolved from
    // the folder of each link).
    const halvane::test::TempDir dotfiles("dotfiles");
    writeFile(dotfiles / "real.json", R"({"old": true})");
    ASSERT_EQ(::chmod((dotfiles / "real.json").c_str(), 0640), 0);
    fs::create_symlink("real.json", dotfiles / "link.json");
    const fs::path viaLink = fs::relative(dotfiles / "link.json", m_dir.path());
    fs::create_symlink(viaLink, m_path);

    const auto target = m_file.target();
    ASSERT_TRUE(target.has_value());
    EXPECT_TRUE(fs::equivalent(*target, dotfiles / "real.json")) << *target;
    ASSERT_EQ(m_file.write(json{{"new", true}}), std::nullopt);

    EXPECT_TRUE(fs::is_symlink(m_path));
    EXPECT_EQ(fs::read_symlink(m_path), viaLink);
    EXPECT_TRUE(fs::is_symlink(dotfiles / "link.json"));
    EXPECT_EQ(json::parse(readFile(dotfiles / "real.json")), json({{"new", true}}));
    EXPECT_EQ(permissionBits(dotfiles / "real.json"), 0640u);
    EXPECT_EQ(namesIn(dotfiles.path()), (std::vector<std::string>{"link.json", "real.json"}));
    EXPECT_EQ(namesIn(m_dir.path()), std::vector<std::string>{"settings.json"});
}

TEST_F(ClaudeSettingsFileTest, WriteThroughADanglingLinkCreatesItsTarget) {
    fs::create_symlink("elsewhere/real.json", m_path);
    ASSERT_EQ(m_file.write(json{{"k", 1}}), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(m_path));
    EXPECT_EQ(json::parse(readFile(m_dir / "elsewhere" / "real.json")), json({{"k", 1}}));
}

TEST_F(ClaudeSettingsFileTest, FailedWritesLeaveTheFileAndNoLitterBehind) {
    writeFile(m_path, R"({"keep": "me"})");
    // Not UTF-8: refused instead of silently altered.
    const auto badText = m_file.write(json{{"k", std::string("caf\xe9")}});
    ASSERT_TRUE(badText.has_value());
    EXPECT_EQ(badText->rfind("cannot serialise the settings: ", 0), 0u) << *badText;
    EXPECT_EQ(readFile(m_path), R"({"keep": "me"})");

    // A loop of links has no target to replace.
    const fs::path loop = m_dir / "loop.json";
    fs::create_symlink("loop.json", loop);
    const auto looped = ClaudeSettingsFile(loop).write(json::object());
    ASSERT_TRUE(looped.has_value());
    EXPECT_NE(looped->find("Too many levels of symbolic links"), std::string::npos) << *looped;

    // A folder that cannot exist, under a plain file, is reported as such.
    writeFile(m_dir / "plain", "x");
    const auto nowhere =
        ClaudeSettingsFile(m_dir / "plain" / "settings.json").write(json::object());
    EXPECT_EQ(nowhere,
              "cannot create a file in " + (m_dir / "plain").string() + ": Not a directory");

    EXPECT_EQ(namesIn(m_dir.path()),
              (std::vector<std::string>{"loop.json", "plain", "settings.json"}));
}

TEST_F(ClaudeSettingsFileTest, CopyKeepsBytesAndModeAndNeverReplacesTheDestination) {
    const std::string original = "{ \"hand\" :\n  \"formatted\" }\n";
    writeFile(m_path, original);
    ASSERT_EQ(::chmod(m_path.c_str(), 0600), 0);
    const fs::path copy = m_dir / "settings.json.copy";

    ASSERT_EQ(m_file.copyTo(copy), std::nullopt);
    EXPECT_EQ(readFile(copy), original);
    EXPECT_EQ(permissionBits(copy), 0600u);

    writeFile(m_path, "{}");
    const auto refused = m_file.copyTo(copy);
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(*refused, "cannot create " + copy.string() + ": File exists");
    EXPECT_EQ(readFile(copy), original);
    EXPECT_EQ(namesIn(m_dir.path()),
              (std::vector<std::string>{"settings.json", "settings.json.copy"}));
}

TEST_F(ClaudeSettingsFileTest, ReplaceAcrossFileSystemsCopiesThenDropsTheSource) {
    // A link into another file system cannot take a rename; /dev/shm is such a
    // place on most machines.
    struct stat shm {
    }, here{};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(m_dir.path().c_str(), &here) != 0 ||
        shm.st_dev == here.st_dev) {
        GTEST_SKIP() << "no second file system at /dev/shm to link into";
    }
    const char* previous = std::getenv("TMPDIR");
    const std::string saved = previous != nullptr ? previous : "";
    ::setenv("TMPDIR", "/dev/shm", 1);
    const halvane::test::TempDir elsewhere("shm");
    if (previous != nullptr) {
        ::setenv("TMPDIR", saved.c_str(), 1);
    } else {
        ::unsetenv("TMPDIR");
    }

    writeFile(elsewhere.path() / "real.json", "{\"current\": 3}");
    fs::create_symlink(elsewhere.path() / "real.json", m_path);
    const fs::path source = m_dir / "source.json";
    writeFile(source, "{\"earlier\": 3}");
    ASSERT_EQ(::chmod(source.c_str(), 0600), 0);

    ASSERT_EQ(m_file.replaceWith(source), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(m_path));
    EXPECT_EQ(readFile(elsewhere.path() / "real.json"), "{\"earlier\": 3}");
    EXPECT_EQ(permissionBits(elsewhere.path() / "real.json"), 0600u);
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(namesIn(elsewhere.path()), std::vector<std::string>{"real.json"});
}

TEST_F(ClaudeSettingsFileTest, StagedFilesLeftByACrashAreRemovedBeforeTheNextWrite) {
    const auto age = [](const fs::path& path, std::chrono::seconds by) {
        fs::last_write_time(path, fs::last_write_time(path) - by);
    };
    writeFile(m_path, R"({"model": "opus"})");
    const std::vector<std::string> stale = {".settings.json.halvane-a1b2c3d4",
                                            ".settings.json.halvane-backup.halvane-zz99zz99"};
    // Fresh staging may be another edit's in flight; the lock file and
    // anything not named like our staging belong to someone.
    const std::vector<std::string> kept = {".settings.json.halvane-e5f6g7h8",
                                           ".settings.json.halvane-lock",
                                           ".settings.json.halvane-notes", "settings.json.bak"};
    for (const std::string& name : stale) {
        writeFile(m_dir / name, "{}");
        age(m_dir / name, std::chrono::seconds(120));
    }
    for (const std::string& name : kept) {
        writeFile(m_dir / name, "{}");
        if (name != ".settings.json.halvane-e5f6g7h8") {
            age(m_dir / name, std::chrono::seconds(120));
        }
    }
    EXPECT_EQ(m_file.edit([](ClaudeSettingsFile::Contents& contents) {
        contents.object["model"] = "sonnet";
        return ClaudeSettingsFile::Change::write;
    }),
              std::nullopt);
    std::vector<std::string> expected = kept;
    expected.push_back("settings.json");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(m_dir.path()), expected);
    EXPECT_EQ(json::parse(readFile(m_path)), json({{"model", "sonnet"}}));
}
