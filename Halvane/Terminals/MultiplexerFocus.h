#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "Halvane/Platform/posix/ProcessTable.h"

namespace halvane {

// Selects an agent's pane or tab inside the multiplexer or terminal that
// hosts it, found from the agent's own environment: tmux (TMUX, TMUX_PANE, or
// the pane whose tty is the agent's), kitty (KITTY_WINDOW_ID with
// KITTY_LISTEN_ON) and WezTerm (WEZTERM_PANE). Finding the target only reads
// the process table; reaching it runs the multiplexer's commands, which may
// take seconds, so the two are separate steps.
class MultiplexerFocus final {
public:
    struct Result {
        // The pane or tab is now the selected one in its multiplexer.
        bool selected = false;
        // A process whose desktop window shows the pane (the tmux client);
        // its terminal still has to be raised by the caller.
        std::optional<std::int32_t> hostPid;
    };

    // Where an agent's pane is and the commands that reach it.
    struct Target {
        // "tmux", with the agent's own server socket when it names one.
        std::vector<std::string> tmux;
        std::optional<std::string> tmuxPane;
        // Without a known pane, the pane is looked up by the agent's tty.
        std::optional<std::string> ttyPath;
        // kitty's or WezTerm's command selecting the agent's tab, tried when
        // tmux does not know the agent.
        std::vector<std::string> terminalCommand;
    };

    explicit MultiplexerFocus(const ProcessTable& processes) : m_processes(processes) {}

    // Nothing when the agent runs under no multiplexer we know.
    std::optional<Result> focusAgent(std::int32_t claudePid) const;
    // The first step: nothing when the agent runs under no multiplexer we know.
    std::optional<Target> target(std::int32_t claudePid) const;
    // The second step, safe on any thread; each command keeps its time
    // limit, and a stop request ends the running one and skips the rest.
    static std::optional<Result> focus(const Target& target, const std::stop_token& stop = {});

    // "%3" for the pane whose tty is ttyPath in the listing of
    // `list-panes -a -F '#{pane_tty} #{pane_id}'`; exposed for tests.
    static std::optional<std::string> paneForTty(const std::string& listing,
                                                 const std::string& ttyPath);

private:
    static std::optional<Result> focusTmux(const Target& target, const std::stop_token& stop);

    const ProcessTable& m_processes;
};

}  // namespace halvane
