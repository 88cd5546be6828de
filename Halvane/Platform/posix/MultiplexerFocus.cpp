#include "Halvane/Platform/posix/MultiplexerFocus.h"

#include <charconv>
#include <sstream>
#include <vector>

#include "Halvane/Platform/posix/CommandRunner.h"

namespace halvane {

namespace {

std::string firstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

}  // namespace

std::optional<std::string> MultiplexerFocus::paneForTty(const std::string& listing,
                                                        const std::string& ttyPath) {
    std::istringstream lines(listing);
    std::string line;
    while (std::getline(lines, line)) {
        const auto space = line.find(' ');
        if (space != std::string::npos && line.substr(0, space) == ttyPath) {
            return line.substr(space + 1);
        }
    }
    return std::nullopt;
}

std::optional<MultiplexerFocus::Result> MultiplexerFocus::focusTmux(std::int32_t claudePid) const {
    const auto tmuxVariable = m_processes.environmentValue(claudePid, "TMUX");
    auto pane = m_processes.environmentValue(claudePid, "TMUX_PANE");
    // TMUX is "<socket path>,<server pid>,<session>"; without it the agent may
    // still run in a pane of the default server, found by its tty.
    std::vector<std::string> tmux{"tmux"};
    if (tmuxVariable && !tmuxVariable->empty()) {
        tmux.push_back("-S");
        tmux.push_back(tmuxVariable->substr(0, tmuxVariable->find(',')));
    }
    const auto command = [&tmux](std::initializer_list<std::string> arguments) {
        std::vector<std::string> argv = tmux;
        argv.insert(argv.end(), arguments);
        return argv;
    };
    if (!pane || pane->empty()) {
        const auto info = m_processes.info(claudePid);
        if (!info || !info->ttyPath) {
            return std::nullopt;
        }
        const auto listing =
            captureCommand(command({"list-panes", "-a", "-F", "#{pane_tty} #{pane_id}"}));
        if (!listing) {
            return std::nullopt;
        }
        pane = paneForTty(*listing, *info->ttyPath);
        if (!pane) {
            return std::nullopt;
        }
    }

    Result result;
    result.selected = runCommand(command({"select-window", "-t", *pane})) == 0 &&
                      runCommand(command({"select-pane", "-t", *pane})) == 0;
    // Show the pane's session in a client when one is attached elsewhere; a
    // failure only means there is nothing to switch.
    runCommand(command({"switch-client", "-t", *pane}));

    const auto session =
        captureCommand(command({"display-message", "-p", "-t", *pane, "#{session_name}"}));
    const auto clients =
        captureCommand(command({"list-clients", "-F", "#{client_pid} #{client_session}"}));
    if (clients) {
        std::istringstream lines(*clients);
        std::string line;
        std::optional<std::int32_t> anyClient;
        while (std::getline(lines, line)) {
            const auto space = line.find(' ');
            std::int32_t pid = 0;
            const auto [end, error] = std::from_chars(line.data(), line.data() + space, pid);
            if (error != std::errc() || space == std::string::npos) {
                continue;
            }
            if (!anyClient) {
                anyClient = pid;
            }
            if (session && line.substr(space + 1) == firstLine(*session)) {
                result.hostPid = pid;
                break;
            }
        }
        if (!result.hostPid) {
            result.hostPid = anyClient;
        }
    }
    return result;
}

std::optional<MultiplexerFocus::Result> MultiplexerFocus::focusAgent(std::int32_t claudePid) const {
    if (auto tmux = focusTmux(claudePid)) {
        return tmux;
    }
    const auto kittyWindow = m_processes.environmentValue(claudePid, "KITTY_WINDOW_ID");
    const auto kittySocket = m_processes.environmentValue(claudePid, "KITTY_LISTEN_ON");
    if (kittyWindow && kittySocket && !kittyWindow->empty() && !kittySocket->empty()) {
        Result result;
        result.selected = runCommand({"kitty", "@", "--to", *kittySocket, "focus-window", "--match",
                                      "id:" + *kittyWindow}) == 0;
        return result;
    }
    if (const auto pane = m_processes.environmentValue(claudePid, "WEZTERM_PANE");
        pane && !pane->empty()) {
        Result result;
        result.selected = runCommand({"wezterm", "cli", "activate-pane", "--pane-id", *pane}) == 0;
        return result;
    }
    return std::nullopt;
}

}  // namespace halvane
