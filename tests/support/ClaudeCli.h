#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "TempDir.h"

namespace halvane::test {

// The real Claude Code CLI, run for one test in folders of its own (home,
// configuration, project) and talking to a MockMessagesApi instead of the
// network.
class ClaudeCli final {
public:
    // The claude program: $HALVANE_CLAUDE_BIN, else the copy scripts/install-deps
    // puts in the cache.
    static std::string program();
    // Empty when the program runs; otherwise why not, for a skip.
    static std::string unavailableReason();

    // baseUrl is the mock's, for ANTHROPIC_BASE_URL.
    explicit ClaudeCli(std::string baseUrl);

    std::filesystem::path home() const { return m_root / "home"; }
    // CLAUDE_CONFIG_DIR: user settings, transcripts, .claude.json.
    std::filesystem::path configDirectory() const { return m_root / "config"; }
    // The working folder Claude Code starts in (a trusted project).
    std::filesystem::path project() const { return m_root / "project"; }
    // A scratch folder beside the others, e.g. for hook recordings.
    std::filesystem::path scratch() const { return m_root / "scratch"; }

    // Replaces the user settings ($CLAUDE_CONFIG_DIR/settings.json).
    void writeUserSettings(const nlohmann::json& settings) const;
    nlohmann::json userSettings() const;

    // The variables the CLI runs with, on top of the test's own.
    std::map<std::string, std::optional<std::string>> environment() const;

    // `claude -p <prompt> --output-format json <arguments>` in the project.
    ChildResult print(const std::string& prompt, const std::vector<std::string>& arguments = {},
                      std::chrono::milliseconds limit = std::chrono::seconds(90)) const;

private:
    TempDir m_root{"claude"};
    std::string m_baseUrl;
};

}  // namespace halvane::test
