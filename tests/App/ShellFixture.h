#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QUrl>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "FakeAccessibilitySettings.h"
#include "FakeSoundPlayer.h"
#include "Files.h"
#include "Halvane/App/Shell/AutostartEntry.h"
#include "Halvane/App/Shell/ShellServices.h"
#include "Halvane/Sessions/HooksInstaller.h"
#include "Halvane/Sessions/Preferences.h"
#include "Halvane/Sessions/SessionStore.h"
#include "TempDir.h"

namespace halvane::test {

inline void makeExecutable(const std::filesystem::path& path, const std::string& script) {
    writeFile(path, script);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::group_exec);
}

// A world of its own for each test: Claude Code's folder, an installed-looking
// application folder with a relay, preferences, the autostart folder emptied,
// and services whose every effect is recorded.
class ShellFixture : public ::testing::Test {
protected:
    ShellFixture() {
        ::setenv("CLAUDE_CONFIG_DIR", m_claude.c_str(), 1);
        makeExecutable(m_root / "app" / "halvane-hook", "#!/bin/sh\necho '{}'\n");
        HooksInstaller::setExecutablePathForTesting(m_root / "app" / "halvane");
        std::filesystem::remove_all(AutostartEntry::entryPath().parent_path());
    }

    ~ShellFixture() override {
        HooksInstaller::setExecutablePathForTesting(std::nullopt);
        ::unsetenv("CLAUDE_CONFIG_DIR");
        std::filesystem::remove_all(AutostartEntry::entryPath().parent_path());
    }

    ShellServices services() {
        return ShellServices{
            m_preferences,
            m_sounds,
            m_accessibilitySettings,
            [this] { return m_trusted; },
            [this] { return m_trustedAtLaunch; },
            [this] { ++m_relaunches; },
            [this] { ++m_quits; },
            [this](const QUrl& url) { m_openedUrls.push_back(url); },
            {},
            QStringLiteral("0.1.0"),
        };
    }

    // Claude Code's settings file with the given text.
    void writeSettings(const std::string& text) const { writeFile(m_settings, text); }
    std::string settingsText() const { return readFile(m_settings); }

    int played(SoundPlayer::Sound sound) const {
        return static_cast<int>(std::count(m_sounds.played.begin(), m_sounds.played.end(), sound));
    }

    TempDir m_root{"shell"};
    std::filesystem::path m_claude = m_root / "claude";
    std::filesystem::path m_settings = m_claude / "settings.json";
    std::filesystem::path m_backup = m_claude / "settings.json.halvane-backup";
    Preferences m_preferences{QString::fromStdString((m_root / "halvane.conf").string())};
    FakeSoundPlayer m_sounds;
    FakeAccessibilitySettings m_accessibilitySettings;
    SessionStore m_store{m_sounds, m_preferences};
    bool m_trusted = false;
    bool m_trustedAtLaunch = false;
    int m_relaunches = 0;
    int m_quits = 0;
    std::vector<QUrl> m_openedUrls;
};

}  // namespace halvane::test
