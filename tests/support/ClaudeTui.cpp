#include "ClaudeTui.h"

#include <signal.h>

#include <cstdlib>

#include "Polling.h"

namespace halvane::test {

ClaudeTui::ClaudeTui(const ClaudeCli& cli)
    : m_cli(cli), m_socket((cli.scratch() / "tmux.sock").string()) {}

ClaudeTui::~ClaudeTui() {
    if (!m_started) {
        return;
    }
    tmux({"kill-server"});
    // Claude Code takes a moment to exit after the hang-up; it must be gone
    // before the test's folders are, or it writes them anew.
    if (m_claude > 0 &&
        !pollUntil([&] { return ::kill(m_claude, 0) != 0; }, std::chrono::seconds(5))) {
        ::kill(m_claude, SIGKILL);
    }
}

ChildResult ClaudeTui::tmux(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), {"/usr/bin/tmux", "-S", m_socket, "-f", "/dev/null"});
    ChildOptions options;
    // The server keeps the environment of the client that starts it, and the
    // pane gets it.
    options.environment = m_cli.environment();
    return runChild(arguments, options);
}

bool ClaudeTui::start(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {
        "new-session",       "-d", "-x", "120", "-y", "40", "-c", m_cli.project().string(), "--",
        ClaudeCli::program()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const ChildResult started = tmux(command);
    if (started.exitStatus != 0) {
        m_why = "tmux did not start: " + started.standardError;
        return false;
    }
    m_started = true;
    const std::string pid = tmux({"display-message", "-p", "#{pane_pid}"}).standardOutput;
    m_claude = static_cast<pid_t>(std::atoi(pid.c_str()));
    // The input box's prompt sign; the footer under it differs by mode.
    if (!waitForScreen("\u276f")) {
        m_why = "Claude Code's prompt did not show:\n" + screen();
        return false;
    }
    return true;
}

std::string ClaudeTui::screen() const {
    return tmux({"capture-pane", "-p"}).standardOutput;
}

bool ClaudeTui::waitForScreen(const std::string& text, std::chrono::milliseconds limit) const {
    return pollUntil([&] { return screen().find(text) != std::string::npos; }, limit,
                     std::chrono::milliseconds(100));
}

void ClaudeTui::type(const std::string& text) const {
    tmux({"send-keys", "-l", text});
}

void ClaudeTui::press(const std::string& key) const {
    tmux({"send-keys", key});
}

void ClaudeTui::submit(const std::string& prompt) const {
    type(prompt);
    // Sent at once, Enter would be part of the pasted text and not submit it.
    pollUntil([&] { return screen().find(prompt) != std::string::npos; });
    press("Enter");
}

}  // namespace halvane::test
