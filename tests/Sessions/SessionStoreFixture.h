#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "FakeSoundPlayer.h"
#include "Halvane/Sessions/SessionStore.h"
#include "HalvaneProtocol/WireTime.h"
#include "QtTestEnvironment.h"
#include "TempDir.h"

namespace halvane::test {

// A store with a hand-set clock, a fake speaker, preferences and Claude Code
// folder of its own, and a short just-finished flash.
class SessionStoreTest : public ::testing::Test {
protected:
    static constexpr std::chrono::milliseconds flash{100};

    SessionStoreTest() {
        qtApplication();
        ::setenv("CLAUDE_CONFIG_DIR", claudeFolder.path().c_str(), 1);
    }
    ~SessionStoreTest() override { ::unsetenv("CLAUDE_CONFIG_DIR"); }

    static Timestamp at(double wireSeconds) { return timeFromWire(wireSeconds); }

    static HookEvent event(HookEvent::Kind kind, const std::string& sessionId, double timestamp) {
        HookEvent made;
        made.kind = kind;
        made.sessionId = sessionId;
        made.cwd = "/work/" + sessionId;
        made.timestamp = timestamp;
        return made;
    }
    static HookEvent notification(const std::string& sessionId, double timestamp = 100) {
        return event(HookEvent::Kind::notification, sessionId, timestamp);
    }
    static HookEvent stop(const std::string& sessionId, double timestamp = 100) {
        return event(HookEvent::Kind::stop, sessionId, timestamp);
    }
    static HookEvent request(const std::string& sessionId, const std::string& tool,
                             const std::string& toolInput, double timestamp = 100) {
        HookEvent made = event(HookEvent::Kind::permissionRequest, sessionId, timestamp);
        made.tool = tool;
        made.toolInput = toolInput;
        return made;
    }

    // A tool about to run, which prompts only when every call is asked about.
    static HookEvent call(const std::string& sessionId, const std::string& tool,
                          const std::string& toolInput, double timestamp = 100) {
        HookEvent made = request(sessionId, tool, toolInput, timestamp);
        made.kind = HookEvent::Kind::preToolUse;
        return made;
    }
    static HookEvent ran(const std::string& sessionId, const std::string& tool,
                         const std::string& toolInput, double timestamp = 100) {
        HookEvent made = request(sessionId, tool, toolInput, timestamp);
        made.kind = HookEvent::Kind::postToolUse;
        return made;
    }

    // A respond callback that files every answer it gets.
    HookEventHandler::Respond recorder() {
        return [this](const HookDecision& decision) { answers.push_back(decision); };
    }
    // A respond callback for answers the test does not look at.
    static HookEventHandler::Respond ignored() {
        return [](const HookDecision&) {};
    }

    const Session& session(const std::string& id) const { return store.sessions().at(id); }

    static std::vector<std::string> ids(const std::vector<Session>& sessions) {
        std::vector<std::string> result;
        for (const Session& session : sessions) {
            result.push_back(session.id);
        }
        return result;
    }

    TempDir claudeFolder{"claude"};
    TempDir preferencesFolder{"preferences"};
    Preferences preferences{QString::fromStdString((preferencesFolder / "halvane.conf").string())};
    FakeSoundPlayer sounds;
    Timestamp now = at(5000);
    std::vector<HookDecision> answers;
    SessionStore store{sounds, preferences, Clock([this] { return now; }), flash};
};

}  // namespace halvane::test
