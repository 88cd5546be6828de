#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "ClaudeCli.h"

namespace halvane::test {

// Claude Code's terminal UI in a private tmux server, driven by keys and read
// from the screen, as a user would.
class ClaudeTui final {
public:
    explicit ClaudeTui(const ClaudeCli& cli);
    ~ClaudeTui();
    ClaudeTui(const ClaudeTui&) = delete;
    ClaudeTui& operator=(const ClaudeTui&) = delete;

    // Starts `claude <arguments>` in the project and waits for its prompt;
    // false (and why()) when it does not come up.
    bool start(const std::vector<std::string>& arguments = {});
    const std::string& why() const { return m_why; }

    // The visible screen, as text.
    std::string screen() const;
    bool waitForScreen(const std::string& text,
                       std::chrono::milliseconds limit = std::chrono::seconds(30)) const;

    // Types text literally; press() sends tmux key names (Enter, Escape, Down).
    void type(const std::string& text) const;
    void press(const std::string& key) const;
    // Types a prompt and sends it.
    void submit(const std::string& prompt) const;

    // For tmux commands of the test's own (the socket of the private server).
    const std::string& socket() const { return m_socket; }

private:
    ChildResult tmux(std::vector<std::string> arguments) const;

    const ClaudeCli& m_cli;
    std::string m_socket;
    bool m_started = false;
    pid_t m_claude = -1;
    std::string m_why;
};

}  // namespace halvane::test
