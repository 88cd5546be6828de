#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <chrono>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "FakeProcessTable.h"
#include "FakeSoundPlayer.h"
#include "GuiTestSupport.h"
#include "Halvane/Platform/WindowSystem.h"
#include "Halvane/Sessions/SessionStore.h"
#include "Halvane/Terminals/Focus/TerminalFocusService.h"
#include "HalvaneProtocol/WireTime.h"
#include "QtPrinters.h"
#include "TempDir.h"

namespace halvane::test {

// Records what the focus service asks of the desktop.
class RecordingWindows final : public WindowSystem {
public:
    bool trusted() override { return true; }
    bool activateWindowOfPid(std::int32_t pid) override {
        activated.push_back(pid);
        return true;
    }
    bool typeKeys(const std::string& keys) override {
        typed.push_back(keys);
        return true;
    }
    void beep() override { ++beeps; }

    std::vector<std::int32_t> activated;
    std::vector<std::string> typed;
    int beeps = 0;
};

// A real store with a hand-set clock, a Claude Code folder of its own, a
// flash long enough to look at, and the focus service pointed at fakes and at
// a private folder for injector sockets.
class NotchViewsTest : public ::testing::Test {
protected:
    static constexpr std::int32_t kTerminalPid = 4242;

    NotchViewsTest() {
        guiApplication();
        ::setenv("CLAUDE_CONFIG_DIR", m_claude.path().c_str(), 1);
        m_processes.add(kTerminalPid, 1, "kitty");
        TerminalFocusService::Platform platform;
        platform.processes = &m_processes;
        platform.windows = &windows;
        platform.injectionDirectory = m_sockets.path().string();
        platform.tabSearchDelay = std::chrono::milliseconds(1);
        platform.typingDelay = std::chrono::milliseconds(1);
        TerminalFocusService::install(platform);
    }
    ~NotchViewsTest() override {
        TerminalFocusService::install({});
        ::unsetenv("CLAUDE_CONFIG_DIR");
    }

    static double wire(Timestamp time) { return wireTimestamp(time); }

    HookEvent event(HookEvent::Kind kind, const std::string& sessionId,
                    std::chrono::seconds ago = std::chrono::seconds(0)) const {
        HookEvent made;
        made.kind = kind;
        made.sessionId = sessionId;
        made.cwd = "/home/ada/src/" + sessionId;
        made.timestamp = wire(now - ago);
        made.terminalId = "net.kovidgoyal.kitty";
        made.terminalPid = kTerminalPid;
        return made;
    }

    // A session waiting for an answer to `tool` with `toolInput`.
    void ask(const std::string& sessionId, const std::string& tool, const std::string& toolInput,
             std::chrono::seconds ago = std::chrono::seconds(0)) {
        HookEvent made = event(HookEvent::Kind::permissionRequest, sessionId, ago);
        made.tool = tool;
        made.toolInput = toolInput;
        store.handle(made, recorder(sessionId));
    }
    // A session busy with a tool call the user approved.
    void work(const std::string& sessionId, std::chrono::seconds ago = std::chrono::seconds(0)) {
        ask(sessionId, "Bash", R"({"command":"make"})", ago);
        store.resolve(sessionId, HookDecision{HookDecision::Decision::approve});
        answers[sessionId].clear();
    }
    void finish(const std::string& sessionId, std::chrono::seconds ago = std::chrono::seconds(0)) {
        store.handle(event(HookEvent::Kind::stop, sessionId, ago), recorder(sessionId));
        answers[sessionId].clear();
    }
    // A session known from a notification only: idle.
    void notice(const std::string& sessionId, std::chrono::seconds ago = std::chrono::seconds(0)) {
        store.handle(event(HookEvent::Kind::notification, sessionId, ago), recorder(sessionId));
        answers[sessionId].clear();
    }

    HookEventHandler::Respond recorder(const std::string& sessionId) {
        return [this, sessionId](const HookDecision& decision) {
            answers[sessionId].push_back(decision);
        };
    }

    std::filesystem::path injectionSocket(const std::string& sessionId) const {
        return m_sockets / ("inject-" + sessionId + ".sock");
    }

    TempDir m_claude{"claude"};
    TempDir m_sockets{"sockets"};
    TempDir m_preferencesFolder{"preferences"};
    Preferences m_preferences{
        QString::fromStdString((m_preferencesFolder / "halvane.conf").string())};
    FakeSoundPlayer m_sounds;
    FakeProcessTable m_processes;

    Timestamp now = timeFromWire(800000000);
    RecordingWindows windows;
    std::map<std::string, std::vector<HookDecision>> answers;
    SessionStore store{m_sounds, m_preferences, Clock([this] { return now; }),
                       std::chrono::hours(1)};
    Clock clock{[this] { return now; }};
};

}  // namespace halvane::test
