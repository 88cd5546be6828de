#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Halvane/Platform/posix/ProcessTable.h"

namespace halvane {

// Selects an agent's pane or tab inside the multiplexer or terminal that
// hosts it, found from the agent's own environment: tmux (TMUX, TMUX_PANE, or
// the pane whose tty is the agent's), kitty (KITTY_WINDOW_ID with
// KITTY_LISTEN_ON) and WezTerm (WEZTERM_PANE).
class MultiplexerFocus final {
public:
    struct Result {
        // The pane or tab is now the selected one in its multiplexer.
        bool selected = false;
        // A process whose desktop window shows the pane (the tmux client);
        // its terminal still has to be raised by the caller.
        std::optional<std::int32_t> hostPid;
    };

    explicit MultiplexerFocus(const ProcessTable& processes) : m_processes(processes) {}

    // Nothing when the agent runs under no multiplexer we know.
    std::optional<Result> focusAgent(std::int32_t claudePid) const;

    // "%3" for the pane whose tty is ttyPath in the listing of
    // `list-panes -a -F '#{pane_tty} #{pane_id}'`; exposed for tests.
    static std::optional<std::string> paneForTty(const std::string& listing,
                                                 const std::string& ttyPath);

private:
    std::optional<Result> focusTmux(std::int32_t claudePid) const;

    const ProcessTable& m_processes;
};

}  // namespace halvane
