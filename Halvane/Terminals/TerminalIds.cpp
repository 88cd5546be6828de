#include "Halvane/Terminals/TerminalIds.h"

#include <algorithm>
#include <array>

namespace halvane {

namespace {

struct Terminal {
    std::string_view id;
    std::string_view displayName;
    // Up to two process names; an empty one matches nothing.
    std::array<std::string_view, 2> processNames;
    std::string_view termProgram;
    bool editor = false;
};

// Ids are the applications' reverse-domain names where they have one.
constexpr auto kTerminals = std::to_array<Terminal>({
    {"org.gnome.Terminal", "Terminal", {"gnome-terminal-server", ""}, "", false},
    {"org.gnome.Console", "Console", {"kgx", ""}, "", false},
    {"org.kde.konsole", "Konsole", {"konsole", ""}, "", false},
    {"xfce4-terminal", "Xfce Terminal", {"xfce4-terminal", ""}, "", false},
    {"com.gexperts.Tilix", "Tilix", {"tilix", ""}, "", false},
    {"terminator", "Terminator", {"terminator", ""}, "", false},
    {"foot", "Foot", {"foot", ""}, "", false},
    {"xterm", "XTerm", {"xterm", ""}, "", false},
    {"com.mitchellh.ghostty", "Ghostty", {"ghostty", ""}, "ghostty", false},
    {"com.github.wez.wezterm", "WezTerm", {"wezterm-gui", "WezTerm"}, "WezTerm", false},
    {"io.alacritty", "Alacritty", {"alacritty", ""}, "", false},
    {"net.kovidgoyal.kitty", "Kitty", {"kitty", ""}, "", false},
    {"dev.warp.Warp-Stable", "Warp", {"Warp", ""}, "Warp", false},
    {"com.microsoft.VSCode", "VSCode", {"code", "Code"}, "vscode", true},
    {"com.todesktop.230313mzl4w4u92", "Cursor", {"cursor", "Cursor"}, "", true},
    {"tmux", "tmux", {"tmux: server", "tmux"}, "tmux", false},
});

constexpr std::string_view kUnknownDisplayName = "Terminal";

const Terminal* byId(std::string_view id) {
    const auto found = std::find_if(kTerminals.begin(), kTerminals.end(),
                                    [&](const Terminal& terminal) { return terminal.id == id; });
    return found == kTerminals.end() ? nullptr : &*found;
}

}  // namespace

std::optional<std::string_view> terminalIdForProcessName(std::string_view name) {
    if (name.empty()) {
        return std::nullopt;
    }
    for (const Terminal& terminal : kTerminals) {
        if (std::find(terminal.processNames.begin(), terminal.processNames.end(), name) !=
            terminal.processNames.end()) {
            return terminal.id;
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> terminalIdForTermProgram(std::string_view termProgram) {
    if (termProgram.empty()) {
        return std::nullopt;
    }
    for (const Terminal& terminal : kTerminals) {
        if (terminal.termProgram == termProgram) {
            return terminal.id;
        }
    }
    return std::nullopt;
}

std::string_view terminalDisplayName(std::string_view id) {
    const Terminal* terminal = byId(id);
    return terminal ? terminal->displayName : kUnknownDisplayName;
}

bool isEditor(std::string_view id) {
    const Terminal* terminal = byId(id);
    return terminal && terminal->editor;
}

}  // namespace halvane
