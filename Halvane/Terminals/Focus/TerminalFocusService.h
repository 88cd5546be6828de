#pragma once

#include <QPointer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "Halvane/Sessions/Session.h"

namespace halvane {

class ProcessTable;
class SessionStore;
class TabSelector;
class WindowSystem;

// Brings a session's terminal to the front and types replies into it. The
// main thread never waits on another program: multiplexer commands, the
// accessibility walk and the write to the injector daemon run on worker
// threads, and what they find is acted on back on the main thread unless the
// user has moved on by then (a newer jump, a newer reply to the session, or
// the session gone). Call on the main thread.
namespace TerminalFocusService {

struct Platform {
    const ProcessTable* processes = nullptr;
    WindowSystem* windows = nullptr;
    // Used from worker threads, one search at a time per jump.
    TabSelector* tabs = nullptr;
    // When set, late results for sessions it no longer holds are dropped.
    QPointer<const SessionStore> sessions{};
    // The user's runtime folder, where injector sockets are named after the
    // session id; empty when there is none (replies are then typed into the
    // window). Tests use a folder of their own.
    std::string injectionDirectory;
    // Give the window time to come up before looking for its tab, and the
    // terminal time to take the focus before typing into it.
    std::chrono::milliseconds tabSearchDelay{100};
    std::chrono::milliseconds typingDelay{150};
};

// Services stay owned by the caller and must outlive every later call, up
// to the next install(), which waits for a tab search still running on the
// old services (install an empty Platform before they go). Results of work
// started before are dropped.
void install(Platform platform);

// Selects the session's pane or tab and raises its terminal window; beeps
// when no terminal can be found for it. Returns at once; a newer jump makes
// this one's late results void.
void jump(const Session& session);

// Types text into the session through its injector daemon, else (a short
// delay after the jump) into the focused window followed by Return; always
// jumps. beforeTyping runs, before this returns, once the connection to the
// daemon is queued and before the text goes out: an answer that ends the
// session's relay (and so its daemon) still reaches the terminal. A daemon
// that accepts no more connections is passed over at once, never waited for.
void sendKeystrokes(const std::string& text, const Session& session,
                    const std::function<void()>& beforeTyping = {});

// One line to the session's injector socket, waiting a bounded time; true
// when all of it was sent. Blocks: not for the main thread.
bool injectViaDaemon(const std::string& sessionId, const std::string& text);

}  // namespace TerminalFocusService

}  // namespace halvane
