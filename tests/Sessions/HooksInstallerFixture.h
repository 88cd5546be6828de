#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>

#include "Files.h"
#include "Halvane/Sessions/HooksInstaller.h"
#include "TempDir.h"

#include <nlohmann/json.hpp>

namespace halvane {

// A failed comparison prints what the log would say, and the detail.
inline void PrintTo(const HooksResult& result, std::ostream* out) {
    *out << '"' << result.text() << "\" (detail \"" << result.detail << "\")";
}

}  // namespace halvane

namespace halvane::test {

// Claude Code's folder in a fresh temporary place (not created up front, since
// installing must create it) and an application folder holding an executable
// relay, which the installer takes to be where the running program lives.
class HooksInstallerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("CLAUDE_CONFIG_DIR", m_claude.c_str(), 1);
        m_relay = makeApp("app");
        HooksInstaller::setExecutablePathForTesting(m_root / "app" / "halvane");
    }

    void TearDown() override {
        HooksInstaller::setExecutablePathForTesting(std::nullopt);
        ::unsetenv("CLAUDE_CONFIG_DIR");
    }

    // Returns the path of the new folder's relay.
    std::string makeApp(const std::string& name) const {
        namespace fs = std::filesystem;
        const fs::path relay = m_root / name / "halvane-hook";
        writeFile(relay, "#!/bin/sh\necho '{}'\n");
        fs::permissions(relay, fs::perms::owner_all | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read |
                                   fs::perms::others_exec);
        return relay.string();
    }

    nlohmann::json settings() const { return nlohmann::json::parse(readFile(m_settings)); }

    TempDir m_root{"installer"};
    std::filesystem::path m_claude = m_root / "claude";
    std::filesystem::path m_settings = m_claude / "settings.json";
    std::filesystem::path m_backup = m_claude / "settings.json.halvane-backup";
    std::string m_relay;
};

}  // namespace halvane::test
