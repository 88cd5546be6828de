// kitty's remote control against a real kitty on a test X server: replies
// typed into the agent's window, and the agent's window brought to the front
// of its tabs, found from the agent's own environment.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "ChildProcess.h"
#include "Files.h"
#include "Halvane/Platform/posix/ProcfsProcessTable.h"
#include "Halvane/Terminals/KeystrokeSink.h"
#include "Halvane/Terminals/MultiplexerFocus.h"
#include "MissingService.h"
#include "Polling.h"
#include "ServiceProcess.h"
#include "TempDir.h"
#include "XvfbSession.h"

namespace halvane::test {
namespace {

using namespace std::chrono_literals;

// One kitty with remote control on a socket in the test's folder; its first
// window runs the agent: a cat that keeps what it is typed, after writing
// down its pid.
class Kitty {
public:
    explicit Kitty(const XvfbSession& display) : m_socket("unix:" + (m_dir / "kitty").string()) {
        const std::string agent = "echo $$ > '" + (m_dir / "agent.pid").string() +
                                  "'; exec cat > '" + typedPath().string() + "'";
        m_kitty = std::make_unique<ServiceProcess>(
            std::vector<std::string>{"/usr/bin/kitty", "--config", "NONE", "-o",
                                     "allow_remote_control=yes", "--listen-on", m_socket, "/bin/sh",
                                     "-c", agent},
            std::map<std::string, std::optional<std::string>>{{"DISPLAY", display.display()},
                                                              {"KITTY_WINDOW_ID", std::nullopt},
                                                              {"KITTY_LISTEN_ON", std::nullopt}});
    }

    // The agent's pid once it runs, else 0.
    std::int32_t agentPid() const { return std::atoi(readFile(m_dir / "agent.pid").c_str()); }
    std::filesystem::path typedPath() const { return m_dir / "typed.txt"; }
    const std::string& socket() const { return m_socket; }
    std::string errors() const { return m_kitty->errorOutput(); }

    ChildResult remote(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"/usr/bin/kitty", "@", "--to", m_socket});
        return runChild(arguments);
    }
    // The id of the window in front, from kitty's own listing.
    int focusedWindow() const {
        const auto listing = nlohmann::json::parse(remote({"ls"}).standardOutput, nullptr, false);
        if (listing.is_discarded()) {
            return -1;
        }
        for (const auto& osWindow : listing) {
            // The focused tab's focused window.
            for (const auto& tab : osWindow.value("tabs", nlohmann::json::array())) {
                if (!tab.value("is_focused", false)) {
                    continue;
                }
                for (const auto& window : tab.value("windows", nlohmann::json::array())) {
                    if (window.value("is_focused", false)) {
                        return window.value("id", -1);
                    }
                }
            }
        }
        return -1;
    }

private:
    TempDir m_dir{"kitty"};
    std::string m_socket;
    std::unique_ptr<ServiceProcess> m_kitty;
};

class KittyRemoteControl : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access("/usr/bin/kitty", X_OK) != 0) {
            HALVANE_SKIP_UNLESS_CI("kitty is not installed (scripts/install-deps)");
        }
        if (!m_display.ready()) {
            HALVANE_SKIP_UNLESS_CI(m_display.why());
        }
        m_kitty = std::make_unique<Kitty>(m_display);
        // kitty needs OpenGL, which Mesa's software renderer gives it here
        // (scripts/install-deps); without it there is nothing to test against.
        // The agent writes its pid just before it becomes cat, and while a
        // program replaces itself its environment reads empty: it has started
        // once kitty's variables can be read there.
        const ProcfsProcessTable processes;
        if (!pollUntil(
                [&] {
                    const std::int32_t agent = m_kitty->agentPid();
                    return agent > 0 && processes.environmentValue(agent, "KITTY_LISTEN_ON");
                },
                30s)) {
            HALVANE_SKIP_UNLESS_CI(std::string("kitty did not start here: ") + m_kitty->errors());
        }
    }

    XvfbSession m_display;
    std::unique_ptr<Kitty> m_kitty;
};

TEST_F(KittyRemoteControl, TypesIntoTheAgentsWindowFromItsEnvironment) {
    const ProcfsProcessTable processes;
    const std::int32_t agent = m_kitty->agentPid();
    const auto window = processes.environmentValue(agent, "KITTY_WINDOW_ID");
    const auto listenOn = processes.environmentValue(agent, "KITTY_LISTEN_ON");
    ASSERT_TRUE(window && listenOn) << "kitty tells its programs where it listens";

    MultiplexerSink sink(MultiplexerSink::Kind::kitty, *window, *listenOn);
    // A backslash and a tab as themselves; the carriage return submits the line.
    EXPECT_EQ(sink.type("pick \\ 2\tnow\r"), std::vector<int>{0});
    EXPECT_TRUE(pollUntil([&] { return readFile(m_kitty->typedPath()) == "pick \\ 2\tnow\n"; }))
        << readFile(m_kitty->typedPath());
}

TEST_F(KittyRemoteControl, BringsTheAgentsWindowToTheFrontOfItsTabs) {
    const std::int32_t agent = m_kitty->agentPid();
    ASSERT_EQ(m_kitty->remote({"launch", "--type=tab", "sleep", "600"}).exitStatus, 0);
    ASSERT_TRUE(pollUntil([&] { return m_kitty->focusedWindow() > 1; }))
        << "the new tab takes the focus";

    const ProcfsProcessTable processes;
    const auto focused = MultiplexerFocus(processes).focusAgent(agent);
    ASSERT_TRUE(focused.has_value());
    EXPECT_TRUE(focused->selected);
    EXPECT_TRUE(pollUntil([&] { return m_kitty->focusedWindow() == 1; }));
}

}  // namespace
}  // namespace halvane::test
