#include <gtest/gtest.h>

#include <QDir>
#include <fstream>

#include "Files.h"
#include "Halvane/Sessions/Preferences.h"
#include "TempDir.h"

using halvane::Preferences;
using halvane::test::readFile;
using halvane::test::TempDir;

TEST(Preferences, LiveInTheUsersConfigFolder) {
    const std::string configHome = std::getenv("XDG_CONFIG_HOME");
    EXPECT_EQ(Preferences::defaultFilePath().toStdString(), configHome + "/halvane/halvane.conf");
    EXPECT_EQ(Preferences().filePath(), Preferences::defaultFilePath());
}

TEST(Preferences, SoundsAreOnUntilTurnedOffAndTheChoiceIsKept) {
    const TempDir folder("preferences");
    const auto file = folder / "halvane.conf";
    const QString path = QString::fromStdString(file.string());
    Preferences first(path);
    EXPECT_TRUE(first.soundsEnabled());
    first.setSoundsEnabled(false);
    EXPECT_NE(readFile(file).find("soundsEnabled=false"), std::string::npos) << readFile(file);
    EXPECT_FALSE(Preferences(path).soundsEnabled());
    first.setSoundsEnabled(true);
    EXPECT_TRUE(Preferences(path).soundsEnabled());
}

TEST(Preferences, AValueThatIsNotABooleanCountsAsUnset) {
    const TempDir folder("preferences");
    const auto file = folder / "halvane.conf";
    std::ofstream(file) << "[General]\nsoundsEnabled=maybe\n";
    EXPECT_TRUE(Preferences(QString::fromStdString(file.string())).soundsEnabled());
    std::ofstream(file) << "[General]\nsoundsEnabled=0\n";
    EXPECT_FALSE(Preferences(QString::fromStdString(file.string())).soundsEnabled());
}
