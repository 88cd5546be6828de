#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HooksInstallerFixture.h"

namespace fs = std::filesystem;
namespace HooksInstaller = halvane::HooksInstaller;
using halvane::test::contentsOf;
using halvane::test::put;
using nlohmann::json;

using AllowRuleFileTest = halvane::test::HooksInstallerFixture;

TEST_F(AllowRuleFileTest, AreAppendedOnceKeepingEverythingElse) {
    EXPECT_EQ(HooksInstaller::currentAllowPatterns(), std::vector<std::string>{});
    EXPECT_TRUE(HooksInstaller::addAllowRule("Bash(git:*)"));
    EXPECT_EQ(settings(), json({{"permissions", {{"allow", {"Bash(git:*)"}}}}}));

    put(m_settings, R"({"permissions": {"deny": ["WebFetch"], "allow": ["Read"]}, "model": "x",)"
                    R"( "hooks": {"Stop": []}})");
    EXPECT_TRUE(HooksInstaller::addAllowRule("Edit"));
    const std::string text = contentsOf(m_settings);
    EXPECT_EQ(json::parse(text),
              json::parse(R"({"hooks": {"Stop": []}, "model": "x",)"
                          R"( "permissions": {"allow": ["Read", "Edit"], "deny": ["WebFetch"]}})"));
    EXPECT_LT(text.find("\"hooks\""), text.find("\"model\""));
    EXPECT_LT(text.find("\"model\""), text.find("\"permissions\""));
    EXPECT_LT(text.find("\"allow\""), text.find("\"deny\""));

    EXPECT_FALSE(HooksInstaller::addAllowRule("Edit"));
    EXPECT_EQ(contentsOf(m_settings), text);
    EXPECT_EQ(HooksInstaller::currentAllowPatterns(), (std::vector<std::string>{"Read", "Edit"}));
}

TEST_F(AllowRuleFileTest, AreRemovedWhereverTheyAppear) {
    put(m_settings, R"({"permissions": {"allow": ["Edit", "Read", "Edit"]}})");
    EXPECT_TRUE(HooksInstaller::removeAllowRule("Edit"));
    EXPECT_EQ(HooksInstaller::currentAllowPatterns(), std::vector<std::string>{"Read"});

    const std::string text = contentsOf(m_settings);
    EXPECT_FALSE(HooksInstaller::removeAllowRule("Edit"));
    EXPECT_EQ(contentsOf(m_settings), text);

    fs::remove(m_settings);
    EXPECT_FALSE(HooksInstaller::removeAllowRule("Read"));
    EXPECT_FALSE(fs::exists(m_settings));
}

TEST_F(AllowRuleFileTest, OddShapesReadAsNoRulesAndAreNotDiscarded) {
    for (const std::string text :
         {R"({"permissions": ["Bash"]})", R"({"permissions": {"allow": "Bash"}})",
          R"({"permissions": {"deny": ["Bash"]}})", "[\"Bash\"]"}) {
        SCOPED_TRACE(text);
        put(m_settings, text);
        EXPECT_EQ(HooksInstaller::currentAllowPatterns(), std::vector<std::string>{});
        EXPECT_FALSE(HooksInstaller::removeAllowRule("Bash"));
        EXPECT_EQ(contentsOf(m_settings), text);
    }
    // The rule cannot be added without dropping what is there: refused.
    for (const std::string text :
         {R"({"permissions": ["Bash"]})", R"({"permissions": {"allow": "Bash"}})", "[\"Bash\"]"}) {
        put(m_settings, text);
        EXPECT_FALSE(HooksInstaller::addAllowRule("Edit")) << text;
        EXPECT_EQ(contentsOf(m_settings), text);
    }
    // An entry that is not a string hides the list from reading, but adding
    // keeps it.
    put(m_settings, R"({"permissions": {"allow": ["Bash", 7]}})");
    EXPECT_EQ(HooksInstaller::currentAllowPatterns(), std::vector<std::string>{});
    EXPECT_TRUE(HooksInstaller::addAllowRule("Edit"));
    EXPECT_EQ(settings()["permissions"]["allow"], json::parse(R"(["Bash", 7, "Edit"])"));
}
