#include <gtest/gtest.h>

#include <future>
#include <sstream>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "HooksInstallerFixture.h"
#include "LogCapture.h"
#include "Polling.h"
#include "SettingsWriter.h"

namespace fs = std::filesystem;
namespace HooksInstaller = halvane::HooksInstaller;
using halvane::test::readFile;
using halvane::test::writeFile;
using nlohmann::json;

using AllowRuleFileTest = halvane::test::HooksInstallerFixture;

TEST_F(AllowRuleFileTest, AreAppendedOnceKeepingEverythingElse) {
    EXPECT_EQ(HooksInstaller::currentAllowPatterns(), std::vector<std::string>{});
    EXPECT_TRUE(HooksInstaller::addAllowRule("Bash(git:*)"));
    EXPECT_EQ(settings(), json({{"permissions", {{"allow", {"Bash(git:*)"}}}}}));

    writeFile(m_settings,
              R"({"permissions": {"deny": ["WebFetch"], "allow": ["Read"]}, "model": "x",)"
              R"( "hooks": {"Stop": []}})");
    EXPECT_TRUE(HooksInstaller::addAllowRule("Edit"));
    const std::string text = readFile(m_settings);
    EXPECT_EQ(json::parse(text),
              json::parse(R"({"hooks": {"Stop": []}, "model": "x",)"
                          R"( "permissions": {"allow": ["Read", "Edit"], "deny": ["WebFetch"]}})"));
    EXPECT_LT(text.find("\"hooks\""), text.find("\"model\""));
    EXPECT_LT(text.find("\"model\""), text.find("\"permissions\""));
    EXPECT_LT(text.find("\"allow\""), text.find("\"deny\""));

    EXPECT_FALSE(HooksInstaller::addAllowRule("Edit"));
    EXPECT_EQ(readFile(m_settings), text);
    EXPECT_EQ(HooksInstaller::currentAllowPatterns(), (std::vector<std::string>{"Read", "Edit"}));
}

TEST_F(AllowRuleFileTest, AreRemovedWhereverTheyAppear) {
    writeFile(m_settings, R"({"permissions": {"allow": ["Edit", "Read", "Edit"]}})");
    EXPECT_TRUE(HooksInstaller::removeAllowRule("Edit"));
    EXPECT_EQ(HooksInstaller::currentAllowPatterns(), std::vector<std::string>{"Read"});

    const std::string text = readFile(m_settings);
    EXPECT_FALSE(HooksInstaller::removeAllowRule("Edit"));
    EXPECT_EQ(readFile(m_settings), text);

    fs::remove(m_settings);
    EXPECT_FALSE(HooksInstaller::removeAllowRule("Read"));
    EXPECT_FALSE(fs::exists(m_settings));
}

TEST_F(AllowRuleFileTest, OddShapesReadAsNoRulesAndAreNotDiscarded) {
    for (const std::string text :
         {R"({"permissions": ["Bash"]})", R"({"permissions": {"allow": "Bash"}})",
          R"({"permissions": {"deny": ["Bash"]}})", "[\"Bash\"]"}) {
        SCOPED_TRACE(text);
        writeFile(m_settings, text);
        EXPECT_EQ(HooksInstaller::currentAllowPatterns(), std::vector<std::string>{});
        EXPECT_FALSE(HooksInstaller::removeAllowRule("Bash"));
        EXPECT_EQ(readFile(m_settings), text);
    }
    // The rule cannot be added without dropping what is there: refused.
    for (const std::string text :
         {R"({"permissions": ["Bash"]})", R"({"permissions": {"allow": "Bash"}})", "[\"Bash\"]"}) {
        writeFile(m_settings, text);
        EXPECT_FALSE(HooksInstaller::addAllowRule("Edit")) << text;
        EXPECT_EQ(readFile(m_settings), text);
    }
    // An entry that is not a string hides the list from reading, but adding
    // keeps it.
    writeFile(m_settings, R"({"permissions": {"allow": ["Bash", 7]}})");
    EXPECT_EQ(HooksInstaller::currentAllowPatterns(), std::vector<std::string>{});
    EXPECT_TRUE(HooksInstaller::addAllowRule("Edit"));
    EXPECT_EQ(settings()["permissions"]["allow"], json::parse(R"(["Bash", 7, "Edit"])"));
}

TEST_F(AllowRuleFileTest, EditsRacingAnotherWriterNeverWipeOrUndoItsChanges) {
    for (const std::string mode : {"in-place", "rename"}) {
        SCOPED_TRACE(mode);
        writeFile(m_settings, halvane::test::userSettings(0).dump(2));
        fs::remove(m_settings.string() + ".stop");
        // A real second process, rewriting the file every millisecond.
        halvane::test::ChildOptions options;
        options.limit = std::chrono::seconds(120);
        auto writer = std::async(std::launch::async, [&] {
            return halvane::test::runChild(
                {halvane::test::binaryDirectory() + "/settings-writer", mode, m_settings.string()},
                options);
        });
        ASSERT_TRUE(halvane::test::pollUntil([&] {
            const json now = json::parse(readFile(m_settings), nullptr, false);
            return now.is_object() && now.value("writer", 0) >= 5;
        }));
        int applied = 0;
        for (int round = 0; round < 200; ++round) {
            const std::string rule = "Bash(race-" + std::to_string(round / 2 % 5) + ":*)";
            applied += (round % 2 == 0 ? HooksInstaller::addAllowRule(rule)
                                       : HooksInstaller::removeAllowRule(rule))
                           ? 1
                           : 0;
        }
        writeFile(m_settings.string() + ".stop", "");
        const auto result = writer.get();
        ASSERT_EQ(result.exitStatus, 0) << result.standardError;
        long rewrites = 0;
        long undone = -1;
        long wipes = -1;
        std::istringstream(result.standardOutput) >> rewrites >> undone >> wipes;
        EXPECT_GT(rewrites, 100) << "the other writer hardly ran";
        // Under load many edits find the file changed and give up; some must land.
        EXPECT_GT(applied, 20) << "Halvane's edits hardly got through";
        EXPECT_EQ(wipes, 0) << "the user's settings were wiped";
        EXPECT_EQ(undone, 0) << "rewrites of the other program were undone";
        EXPECT_FALSE(halvane::test::wiped(readFile(m_settings)));
    }
}

TEST_F(AllowRuleFileTest, ValuesARewriteWouldChangeAreRefusedNotAltered) {
    halvane::test::LogCapture log;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"({"model": "opus", "seed": 12345678901234567890123})",
         "the number 12345678901234567890123, too large to be written back unchanged"},
        {R"({"seed": -98765432109876543210, "model": "opus"})",
         "the number -98765432109876543210, too large to be written back unchanged"},
        {R"({"env": {"A": "1", "A": "2"}, "model": "opus"})", "the key \"A\" twice in one object"},
    };
    for (const auto& [text, what] : cases) {
        SCOPED_TRACE(text);
        writeFile(m_settings, text);
        EXPECT_FALSE(HooksInstaller::addAllowRule("Edit"));
        EXPECT_EQ(HooksInstaller::installIfNeeded().text(),
                  "failed to write settings: " + m_settings.string() + " holds " + what);
        EXPECT_EQ(readFile(m_settings), text);
        EXPECT_TRUE(log.contains("HooksInstaller.addAllowRule failed: " + m_settings.string() +
                                 " holds " + what));
    }
    // Everything nlohmann-json holds exactly goes through, written as it was.
    writeFile(m_settings,
              R"({"max": 18446744073709551615, "min": -9223372036854775808, "pi": 3.25})");
    EXPECT_TRUE(HooksInstaller::addAllowRule("Edit"));
    const std::string text = readFile(m_settings);
    for (const char* value : {"18446744073709551615", "-9223372036854775808", "3.25"}) {
        EXPECT_NE(text.find(value), std::string::npos) << value << " in " << text;
    }
}
