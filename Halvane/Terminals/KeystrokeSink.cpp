#include "Halvane/Terminals/KeystrokeSink.h"

#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>
#include <cstdio>

#include "Halvane/Platform/posix/CommandRunner.h"

namespace halvane {

std::vector<int> TiocstiSink::type(std::string_view bytes) {
    std::vector<int> results;
    results.reserve(bytes.size());
    for (const char byte : bytes) {
        results.push_back(::ioctl(m_fd, TIOCSTI, &byte) == 0 ? 0 : errno);
    }
    return results;
}

std::unique_ptr<MultiplexerSink> MultiplexerSink::fromEnvironment(Lookup lookup) {
    const auto value = [lookup](const char* name) -> std::string {
        const char* found = lookup(name);
        return found == nullptr ? std::string() : std::string(found);
    };
    if (const auto pane = value("TMUX_PANE"); !pane.empty()) {
        return std::make_unique<MultiplexerSink>(Kind::tmux, pane);
    }
    const auto kittyWindow = value("KITTY_WINDOW_ID");
    const auto kittySocket = value("KITTY_LISTEN_ON");
    if (!kittyWindow.empty() && !kittySocket.empty()) {
        return std::make_unique<MultiplexerSink>(Kind::kitty, kittyWindow, kittySocket);
    }
    if (const auto pane = value("WEZTERM_PANE"); !pane.empty()) {
        return std::make_unique<MultiplexerSink>(Kind::wezterm, pane);
    }
    return nullptr;
}

MultiplexerSink::MultiplexerSink(Kind kind, std::string target, std::string listenOn)
    : m_kind(kind), m_target(std::move(target)), m_listenOn(std::move(listenOn)) {}

const char* MultiplexerSink::name() const {
    switch (m_kind) {
        case Kind::tmux:
            return "tmux";
        case Kind::kitty:
            return "kitty";
        case Kind::wezterm:
            return "wezterm";
    }
    return "multiplexer";
}

namespace {

// kitty reads send-text's argument with Python-style escapes.
std::string kittyEscaped(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            text += "\\\\";
        } else if (byte < 0x20 || byte == 0x7f) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            text += escape;
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace

std::vector<std::vector<std::string>> MultiplexerSink::commandsFor(std::string_view bytes) const {
    std::vector<std::vector<std::string>> commands;
    switch (m_kind) {
        case Kind::tmux: {
            // tmux types literal text with -l; Return has to be sent as the
            // Enter key, or the application sees a bare ^M without a key event.
            std::string run;
            const auto flush = [&] {
                if (!run.empty()) {
                    commands.push_back({"tmux", "send-keys", "-t", m_target, "-l", "--", run});
                    run.clear();
                }
            };
            for (const char c : bytes) {
                if (c == '\r') {
                    flush();
                    commands.push_back({"tmux", "send-keys", "-t", m_target, "Enter"});
                } else {
                    run += c;
                }
            }
            flush();
            break;
        }
        case Kind::kitty:
            commands.push_back({"kitty", "@", "--to", m_listenOn, "send-text", "--match",
                                "id:" + m_target, "--", kittyEscaped(bytes)});
            break;
        case Kind::wezterm:
            commands.push_back({"wezterm", "cli", "send-text", "--no-paste", "--pane-id", m_target,
                                "--", std::string(bytes)});
            break;
    }
    return commands;
}

std::vector<int> MultiplexerSink::type(std::string_view bytes) {
    std::vector<int> results;
    for (const auto& command : commandsFor(bytes)) {
        results.push_back(runCommand(command));
    }
    return results;
}

}  // namespace halvane
