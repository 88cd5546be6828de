// The command line and the choice of display platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

#include "ChildProcess.h"
#include "Halvane/App/HalvaneApp.h"

namespace halvane {
namespace {

HalvaneApp::Arguments parse(const QStringList& arguments) {
    return HalvaneApp::parseArguments(QStringList{"halvane"} + arguments);
}

TEST(HalvaneAppArgumentsTest, ListensOnTheProductsSocketUnlessToldOtherwise) {
    const auto plain = parse({});
    EXPECT_FALSE(plain.exitText);
    EXPECT_EQ(plain.services.socketPath,
              halvane::runtime_directory::hookSocketIn(plain.services.runtimeDirectory));
    EXPECT_EQ(plain.services.runtimeDirectory, halvane::runtime_directory::locate(::getuid()));

    const auto moved = parse({"--socket", "/tmp/elsewhere.sock"});
    EXPECT_FALSE(moved.exitText);
    EXPECT_EQ(moved.services.socketPath, "/tmp/elsewhere.sock");
}

TEST(HalvaneAppArgumentsTest, HelpAndVersionPrintAndSucceed) {
    const auto help = parse({"--help"});
    ASSERT_TRUE(help.exitText);
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.exitText->find("--socket <path>"), std::string::npos);

    const auto version = parse({"--version"});
    ASSERT_TRUE(version.exitText);
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.exitText->rfind("halvane ", 0), 0u);
}

TEST(HalvaneAppArgumentsTest, TheDesktopEntrysActionsAskForOneWindow) {
    EXPECT_EQ(parse({}).request, SingleInstance::Request::activate);
    EXPECT_EQ(parse({"--show-sessions"}).request, SingleInstance::Request::showSessions);
    EXPECT_EQ(parse({"--settings"}).request, SingleInstance::Request::showSettings);
    EXPECT_NE(parse({"--help"}).exitText->find("--show-sessions"), std::string::npos);
}

TEST(HalvaneAppArgumentsTest, MistakesAreUsageErrors) {
    for (const QStringList& wrong :
         {QStringList{"--sockett", "x"}, QStringList{"--socket"}, QStringList{"extra"},
          QStringList{"--settings", "--show-sessions"}}) {
        SCOPED_TRACE(wrong.join(' ').toStdString());
        const auto result = parse(wrong);
        ASSERT_TRUE(result.exitText);
        EXPECT_EQ(result.exitStatus, 2);
        EXPECT_EQ(result.exitText->rfind("halvane: ", 0), 0u);
        EXPECT_NE(result.exitText->find("halvane --help"), std::string::npos);
    }
}

// Restores an environment variable when the test ends.
class SavedVariable final {
public:
    explicit SavedVariable(const char* name) : m_name(name) {
        if (const char* value = std::getenv(name)) {
            m_value = value;
        }
    }
    ~SavedVariable() {
        if (m_value) {
            ::setenv(m_name, m_value->c_str(), 1);
        } else {
            ::unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::optional<std::string> m_value;
};

TEST(HalvaneAppArgumentsTest, UnderWaylandTheAppRunsThroughXWayland) {
    const SavedVariable platform("QT_QPA_PLATFORM");
    const SavedVariable wayland("WAYLAND_DISPLAY");
    const SavedVariable display("DISPLAY");
    ::unsetenv("QT_QPA_PLATFORM");
    ::setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    ::unsetenv("DISPLAY");
    HalvaneApp::choosePlatform();
    EXPECT_EQ(std::getenv("QT_QPA_PLATFORM"), nullptr) << "no X server to fall back on";

    ::setenv("DISPLAY", ":0", 1);
    HalvaneApp::choosePlatform();
    ASSERT_NE(std::getenv("QT_QPA_PLATFORM"), nullptr);
    EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "xcb");
}

TEST(HalvaneAppArgumentsTest, WithoutADisplayItSaysWhyInOneLineAndExits) {
    const auto start = [](std::optional<std::string> wayland) {
        test::ChildOptions options;
        options.environment = {{"DISPLAY", std::nullopt},
                               {"WAYLAND_DISPLAY", std::move(wayland)},
                               {"QT_QPA_PLATFORM", std::nullopt}};
        options.limit = std::chrono::seconds(10);
        return test::runChild({test::binaryDirectory() + "/halvane"}, options);
    };
    const auto nothing = start(std::nullopt);
    EXPECT_EQ(nothing.exitStatus, 1);
    EXPECT_TRUE(nothing.standardOutput.empty());
    EXPECT_EQ(std::count(nothing.standardError.begin(), nothing.standardError.end(), '\n'), 1)
        << nothing.standardError;
    EXPECT_NE(nothing.standardError.find("no graphical session"), std::string::npos);
    EXPECT_NE(nothing.standardError.find("tools/demo/run --screenshots"), std::string::npos);

    const auto noXWayland = start("wayland-0");
    EXPECT_EQ(noXWayland.exitStatus, 1);
    EXPECT_NE(noXWayland.standardError.find("XWayland"), std::string::npos)
        << noXWayland.standardError;
}

}  // namespace
}  // namespace halvane
