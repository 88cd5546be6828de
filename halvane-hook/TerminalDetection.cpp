#include "TerminalDetection.h"

#include <array>
#include <string_view>
#include <utility>

namespace halvane {

namespace {

constexpr int terminalWalkDepth = 10;
constexpr int claudeWalkDepth = 8;

constexpr std::array<std::pair<std::string_view, std::string_view>, 7> termPrograms{{
    {"Apple_Terminal", "com.apple.Terminal"},
    {"iTerm.app", "com.googlecode.iterm2"},
    {"ghostty", "com.mitchellh.ghostty"},
    {"WezTerm", "com.github.wez.wezterm"},
    {"vscode", "com.microsoft.VSCode"},
    {"Warp", "dev.warp.Warp-Stable"},
    {"tmux", "tmux"},
}};

constexpr std::array<std::string_view, 22> terminalNames{
    "Terminal", "iTerm2", "ghostty", "wezterm-gui", "WezTerm", "alacritty", "kitty", "Warp", "Code",
    "Cursor",
    // Linux terminals and multiplexers.
    "gnome-terminal-server", "kgx", "konsole", "xfce4-terminal", "tilix", "terminator", "foot",
    "xterm", "code", "cursor", "tmux: server", "tmux"};

}  // namespace

std::optional<std::string> terminalBundleForTermProgram(const char* termProgram) {
    if (termProgram == nullptr) {
        return std::nullopt;
    }
    for (const auto& [program, bundle] : termPrograms) {
        if (program == termProgram) {
            return std::string(bundle);
        }
    }
    return std::nullopt;
}

bool isTerminalProcessName(std::string_view name) {
    for (const std::string_view candidate : terminalNames) {
        if (candidate == name) {
            return true;
        }
    }
    return false;
}

DetectedTerminal detectTerminal(const ProcessTable& processes, std::int32_t parentPid,
                                const char* termProgram) {
    DetectedTerminal result;
    result.bundleId = terminalBundleForTermProgram(termProgram);
    std::int32_t pid = parentPid;
    for (int examined = 0; examined < terminalWalkDepth; ++examined) {
        if (pid < 2) {
            break;
        }
        const auto info = processes.info(pid);
        if (!info) {
            break;
        }
        if (isTerminalProcessName(info->name)) {
            result.pid = pid;
            break;
        }
        pid = info->parentPid;
    }
    return result;
}

std::optional<std::int32_t> detectClaudePid(const ProcessTable& processes, std::int32_t parentPid) {
    std::int32_t pid = parentPid;
    for (int examined = 0; examined < claudeWalkDepth; ++examined) {
        if (pid < 2) {
            return std::nullopt;
        }
        const auto info = processes.info(pid);
        if (!info) {
            return std::nullopt;
        }
        if (info->name.starts_with("claude")) {
            return pid;
        }
        pid = info->parentPid;
    }
    return parentPid;
}

}  // namespace halvane
