#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "Halvane/Sessions/Session.h"

namespace halvane {

class ProcessTable;
class TabSelector;
class WindowSystem;

// Brings a session's terminal to the front and types replies into it.
// Stateless apart from the desktop services installed at start-up.
namespace TerminalFocusService {

struct Platform {
    const ProcessTable* processes = nullptr;
    WindowSystem* windows = nullptr;
    TabSelector* tabs = nullptr;
    // Socket paths come from the session id; tests move them elsewhere.
    std::string injectionSocketPrefix = "/tmp/halvane-inject-";
    // Give the window time to come up before looking for its tab, and the
    // terminal time to take the focus before typing into it.
    std::chrono::milliseconds tabSearchDelay{100};
    std::chrono::milliseconds typingDelay{150};
};

// Services stay owned by the caller and must outlive every later call.
void install(Platform platform);

// Selects the session's pane or tab and raises its terminal window; beeps
// when no terminal can be found for it.
void jump(const Session& session);

// Types text into the session through its injector daemon, else (after a
// short delay) into the focused window followed by Return; always jumps.
// beforeTyping runs once the way to the daemon is open and before the text
// goes out: an answer that ends the session's relay (and so its daemon)
// still reaches the terminal.
void sendKeystrokes(const std::string& text, const Session& session,
                    const std::function<void()>& beforeTyping = {});

// One line to the session's injector socket; true when all of it was sent.
bool injectViaDaemon(const std::string& sessionId, const std::string& text);

}  // namespace TerminalFocusService

}  // namespace halvane
