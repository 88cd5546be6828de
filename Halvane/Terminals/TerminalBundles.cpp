#include "Halvane/Terminals/TerminalBundles.h"

#include <array>
#include <utility>

namespace halvane {

namespace {

using Entry = std::pair<std::string_view, std::string_view>;

constexpr std::array<Entry, 22> processNames{{
    {"Terminal", "com.apple.Terminal"},
    {"iTerm2", "com.googlecode.iterm2"},
    {"ghostty", "com.mitchellh.ghostty"},
    {"wezterm-gui", "com.github.wez.wezterm"},
    {"WezTerm", "com.github.wez.wezterm"},
    {"alacritty", "io.alacritty"},
    {"kitty", "net.kovidgoyal.kitty"},
    {"Warp", "dev.warp.Warp-Stable"},
    {"Code", "com.microsoft.VSCode"},
    {"Cursor", "com.todesktop.230313mzl4w4u92"},
    // Linux terminals, editors and multiplexers.
    {"gnome-terminal-server", "org.gnome.Terminal"},
    {"kgx", "org.gnome.Console"},
    {"konsole", "org.kde.konsole"},
    {"xfce4-terminal", "xfce4-terminal"},
    {"tilix", "com.gexperts.Tilix"},
    {"terminator", "terminator"},
    {"foot", "foot"},
    {"xterm", "xterm"},
    {"code", "com.microsoft.VSCode"},
    {"cursor", "com.todesktop.230313mzl4w4u92"},
    {"tmux: server", "tmux"},
    {"tmux", "tmux"},
}};

constexpr std::array<Entry, 7> termPrograms{{
    {"Apple_Terminal", "com.apple.Terminal"},
    {"iTerm.app", "com.googlecode.iterm2"},
    {"ghostty", "com.mitchellh.ghostty"},
    {"WezTerm", "com.github.wez.wezterm"},
    {"vscode", "com.microsoft.VSCode"},
    {"Warp", "dev.warp.Warp-Stable"},
    {"tmux", "tmux"},
}};

template <std::size_t N>
std::optional<std::string_view> lookUp(const std::array<Entry, N>& table, std::string_view key) {
    for (const auto& [name, bundle] : table) {
        if (name == key) {
            return bundle;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string_view> terminalBundleForProcessName(std::string_view name) {
    return lookUp(processNames, name);
}

std::optional<std::string_view> terminalBundleForTermProgram(std::string_view termProgram) {
    return lookUp(termPrograms, termProgram);
}

}  // namespace halvane
