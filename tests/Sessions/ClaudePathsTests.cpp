#include <gtest/gtest.h>

#include <cstdlib>

#include "Halvane/Sessions/ClaudePaths.h"

TEST(ClaudePaths, FollowsTheConfigFolderVariableElseHome) {
    ::unsetenv("CLAUDE_CONFIG_DIR");
    const std::filesystem::path home = std::getenv("HOME");
    EXPECT_EQ(halvane::ClaudePaths::settingsFile(), home / ".claude" / "settings.json");
    ::setenv("CLAUDE_CONFIG_DIR", "/srv/claude-config", 1);
    EXPECT_EQ(halvane::ClaudePaths::projectsDirectory(), "/srv/claude-config/projects");
    ::setenv("CLAUDE_CONFIG_DIR", "", 1);
    EXPECT_EQ(halvane::ClaudePaths::directory(), home / ".claude");
    ::unsetenv("CLAUDE_CONFIG_DIR");
}
