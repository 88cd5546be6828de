#include "Halvane/Terminals/MultiplexerFocus.h"

#include <charconv>
#include <sstream>

#include "Halvane/Platform/posix/CommandRunner.h"

namespace halvane {

namespace {

constexpr std::chrono::milliseconds commandLimit{3000};

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

std::optional<MultiplexerFocus::Target> MultiplexerFocus::target(std::int32_t claudePid) const {
    Target target;
    // TMUX is "<socket path>,<server pid>,<session>"; without it the agent may
    // still run in a pane of the default server, found by its tty.
    const auto tmuxVariable = m_processes.environmentValue(claudePid, "TMUX");
    target.tmux.push_back("tmux");
    if (tmuxVariable && !tmuxVariable->empty()) {
        target.tmux.push_back("-S");
        target.tmux.push_back(tmuxVariable->substr(0, tmuxVariable->find(',')));
    }
    if (auto pane = m_processes.environmentValue(claudePid, "TMUX_PANE"); pane && !pane->empty()) {
        target.tmuxPane = std::move(pane);
    } else if (const auto info = m_processes.info(claudePid); info && info->ttyPath) {
        target.ttyPath = info->ttyPath;
    }

    const auto kittyWindow = m_processes.environmentValue(claudePid, "KITTY_WINDOW_ID");
    const auto kittySocket = m_processes.environmentValue(claudePid, "KITTY_LISTEN_ON");
    const auto weztermPane = m_processes.environmentValue(claudePid, "WEZTERM_PANE");
    if (kittyWindow && kittySocket && !kittyWindow->empty() && !kittySocket->empty()) {
        target.terminalCommand = {
            "kitty", "@", "--to", *kittySocket, "focus-window", "--match", "id:" + *kittyWindow};
    } else if (weztermPane && !weztermPane->empty()) {
        target.terminalCommand = {"wezterm", "cli", "activate-pane", "--pane-id", *weztermPane};
    }
    if (!target.tmuxPane && !target.ttyPath && target.terminalCommand.empty()) {
        return std::nullopt;
    }
    return target;
}

std::optional<MultiplexerFocus::Result> MultiplexerFocus::focusTmux(const Target& target,
                                                                    const std::stop_token& stop) {
    const auto command = [&target](std::initializer_list<std::string> arguments) {
        std::vector<std::string> argv = target.tmux;
        argv.insert(argv.end(), arguments);
        return argv;
    };
    auto pane = target.tmuxPane;
    if (!pane) {
        const auto listing = captureCommand(
            command({"list-panes", "-a", "-F", "#{pane_tty} #{pane_id}"}), commandLimit, stop);
        if (!listing) {
            return std::nullopt;
        }
        pane = paneForTty(*listing, *target.ttyPath);
        if (!pane) {
            return std::nullopt;
        }
    }

    Result result;
    result.selected =
        runCommand(command({"select-window", "-t", *pane}), commandLimit, stop) == 0 &&
        runCommand(command({"select-pane", "-t", *pane}), commandLimit, stop) == 0;
    if (stop.stop_requested()) {
        return result;
    }
    // Show the pane's session in a client when one is attached elsewhere; a
    // failure only means there is nothing to switch.
    runCommand(command({"switch-client", "-t", *pane}), commandLimit, stop);

    const auto session = captureCommand(
        command({"display-message", "-p", "-t", *pane, "#{session_name}"}), commandLimit, stop);
    const auto clients = captureCommand(
        command({"list-clients", "-F", "#{client_pid} #{client_session}"}), commandLimit, stop);
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

std::optional<MultiplexerFocus::Result> MultiplexerFocus::focus(const Target& target,
                                                                const std::stop_token& stop) {
    if (target.tmuxPane || target.ttyPath) {
        if (auto tmux = focusTmux(target, stop)) {
            return tmux;
        }
    }
    if (target.terminalCommand.empty() || stop.stop_requested()) {
        return std::nullopt;
    }
    Result result;
    result.selected = runCommand(target.terminalCommand, commandLimit, stop) == 0;
    return result;
}

std::optional<MultiplexerFocus::Result> MultiplexerFocus::focusAgent(std::int32_t claudePid) const {
    const auto found = target(claudePid);
    return found ? focus(*found) : std::nullopt;
}

}  // namespace halvane
