#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "Halvane/Platform/linux/CanberraSoundPlayer.h"
#include "LogCapture.h"
#include "TempDir.h"

using halvane::CanberraSoundPlayer;
using Sound = halvane::SoundPlayer::Sound;
using halvane::test::LogCapture;
using halvane::test::TempDir;

namespace {

// No sound server can answer: the chimes must then go unheard, quietly.
class CanberraSoundPlayerTest : public ::testing::Test {
protected:
    CanberraSoundPlayerTest() {
        // Through PulseAudio only, so a developer's sound card stays quiet too.
        ::setenv("CANBERRA_DRIVER", "pulse", 1);
        ::setenv("PULSE_SERVER", ("unix:" + (runtime / "no-server").string()).c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    }
    ~CanberraSoundPlayerTest() override {
        ::unsetenv("CANBERRA_DRIVER");
        ::unsetenv("PULSE_SERVER");
    }

    TempDir runtime{"runtime"};
};

}  // namespace

TEST_F(CanberraSoundPlayerTest, FindsTheShippedChimesBesideTheExecutable) {
    const auto executable = std::filesystem::read_symlink("/proc/self/exe");
    const auto expected =
        (executable.parent_path().parent_path() / "share" / "halvane" / "sounds").string();
    EXPECT_EQ(CanberraSoundPlayer::defaultSoundsFolder().string(), expected);

    const CanberraSoundPlayer player;
    EXPECT_EQ(player.fileFor(Sound::glass).filename(), "glass.wav");
    EXPECT_EQ(player.fileFor(Sound::hero).filename(), "hero.wav");
    // The build puts the chimes there, as an install does.
    for (const Sound sound : {Sound::glass, Sound::hero}) {
        EXPECT_TRUE(std::filesystem::is_regular_file(player.fileFor(sound)))
            << player.fileFor(sound);
    }
}

TEST_F(CanberraSoundPlayerTest, WithoutASoundServerPlayingIsSilentAndReportsNothing) {
    const LogCapture log;
    auto player = std::make_unique<CanberraSoundPlayer>();
    player->play(Sound::glass);
    player->play(Sound::hero);
    player->waitUntilIdle();
    for (int i = 0; i < 50; ++i) {
        player->play(Sound::glass);
    }
    player->waitUntilIdle();
    // Sounds still waiting when the player goes away are dropped, not awaited.
    player->play(Sound::glass);
    player.reset();
    EXPECT_TRUE(log.lines().empty()) << log.lines().front();
}

TEST_F(CanberraSoundPlayerTest, AMissingChimeIsReportedOnceAndNotPlayed) {
    const TempDir empty("sounds");
    const LogCapture log;
    CanberraSoundPlayer player(empty.path());
    player.play(Sound::glass);
    player.play(Sound::glass);
    player.waitUntilIdle();
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_EQ(lines[0], "Halvane: sound file missing: " + (empty / "glass.wav").string());
}
