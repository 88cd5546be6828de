// Every test binary starts here: each run gets its own HOME and XDG folders so
// no test can read or change the developer's real configuration, and a fault
// a sanitizer finds in any process the test started fails it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "ChildSanitizerReports.h"
#include "TempDir.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const halvane::test::TempDir home("home");
    const auto at = [&home](const char* name) {
        const auto path = home.path() / name;
        std::filesystem::create_directories(path);
        return path.string();
    };
    ::setenv("HOME", home.path().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", at(".config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", at(".local/share").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", at(".cache").c_str(), 1);
    ::setenv("XDG_STATE_HOME", at(".local/state").c_str(), 1);
    ::unsetenv("CLAUDE_CONFIG_DIR");
    // Without a session bus, D-Bus clients under a test X server would start
    // one per display that outlives the test; tests that need a bus start
    // their own.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/halvane-test-bus", 0);
    const halvane::test::ChildSanitizerReports childReports;
    const int result = RUN_ALL_TESTS();
    // A child's report fails the test even when the child's exit went unseen.
    return childReports.printReports() ? 1 : result;
}
