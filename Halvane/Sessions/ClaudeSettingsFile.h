#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace halvane {

// Claude Code's settings file, read and replaced without ever losing the
// user's data: a rewrite goes to a temporary file in the same folder and is
// renamed over the file, keeping its permission bits; a symbolic link is
// followed and its target replaced, so the link survives. A file that is not
// a JSON object reads as unusable, and callers leave it alone.
class ClaudeSettingsFile final {
public:
    enum class State { missing, object, unusable };

    struct Contents {
        State state = State::missing;
        // The file's top-level object; an empty object when the file is missing.
        nlohmann::json object = nlohmann::json::object();
        // Why an unusable file cannot be edited, for the user to read.
        std::string problem;
    };

    explicit ClaudeSettingsFile(std::filesystem::path path);

    const std::filesystem::path& path() const { return m_path; }

    Contents read() const;

    // Writes object pretty-printed with sorted keys. Creates the file's folder
    // when the file does not exist yet. Returns the reason on failure.
    std::optional<std::string> write(const nlohmann::json& object) const;

    // Copies the file's bytes and permission bits to destination, which is
    // created complete or not at all and never replaced when it exists.
    // Returns the reason on failure.
    std::optional<std::string> copyTo(const std::filesystem::path& destination) const;

    // Moves source over the file in one step, so there is never a moment with
    // neither. Returns the reason on failure.
    std::optional<std::string> replaceWith(const std::filesystem::path& source) const;

    // The file the path names once symbolic links are followed: the one a
    // rewrite replaces.
    std::optional<std::filesystem::path> target(std::string* problem = nullptr) const;

private:
    std::filesystem::path m_path;
};

}  // namespace halvane
