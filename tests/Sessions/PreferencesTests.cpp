#include <gtest/gtest.h>

#include <QDir>
#include <fstream>
#include <iterator>

#include "Halvane/Sessions/Preferences.h"
#include "TempDir.h"

using halvane::Preferences;
using halvane::test::TempDir;

namespace {

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

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
    EXPECT_NE(contents(file).find("soundsEnabled=false"), std::string::npos) << contents(file);
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
