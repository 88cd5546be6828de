#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace halvane {

// Somewhere bytes can be typed as if the user pressed the keys. type() reports
// one result per attempt (per byte or per send): 0 or an errno.
class KeystrokeSink {
public:
    virtual ~KeystrokeSink() = default;
    virtual std::vector<int> type(std::string_view bytes) = 0;
    virtual const char* name() const = 0;
};

// Pushes each byte into a terminal's input queue with TIOCSTI.
class TiocstiSink final : public KeystrokeSink {
public:
    explicit TiocstiSink(int terminalFd) : m_fd(terminalFd) {}
    std::vector<int> type(std::string_view bytes) override;
    const char* name() const override { return "ioctl"; }

private:
    int m_fd;
};

// Types through the terminal multiplexer or terminal that hosts the session,
// found from the environment the session's processes inherited: tmux
// (TMUX_PANE), kitty (KITTY_WINDOW_ID with KITTY_LISTEN_ON) or WezTerm
// (WEZTERM_PANE). Text is sent literally; a carriage return is the Enter key.
class MultiplexerSink final : public KeystrokeSink {
public:
    enum class Kind { tmux, kitty, wezterm };

    // lookup returns an environment variable's value, or nullptr when unset.
    using Lookup = const char* (*)(const char*);
    static std::unique_ptr<MultiplexerSink> fromEnvironment(Lookup lookup);

    MultiplexerSink(Kind kind, std::string target, std::string listenOn = {});
    std::vector<int> type(std::string_view bytes) override;
    const char* name() const override;

    // The command lines that type bytes; exposed for tests.
    std::vector<std::vector<std::string>> commandsFor(std::string_view bytes) const;

private:
    Kind m_kind;
    std::string m_target;
    std::string m_listenOn;
};

}  // namespace halvane
