#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace halvane {

// Claude Code's settings file, read and replaced without ever losing the
// user's data: a rewrite goes to a temporary file in the same folder and is
// renamed over the file, keeping its permission bits; a symbolic link is
// followed and its target replaced, so the link survives. A file that is not
// a JSON object reads as unusable, and callers leave it alone. Claude Code
// and editors write the same file at any moment, so edits are optimistic:
// edit() replaces the file only if it is still the one it read.
class ClaudeSettingsFile final {
public:
    enum class State { missing, object, unusable };

    struct Contents {
        State state = State::missing;
        // The file's top-level object; an empty object when the file is missing.
        nlohmann::json object = nlohmann::json::object();
        // Why an unusable file cannot be edited, for the user to read.
        std::string problem;
        // Set when the object reads fine but a rewrite would change something
        // the user wrote (a number past 64 bits, a key given twice): edit()
        // then refuses, saying this.
        std::string unkeepable;
        // The file as read, so an edit can tell whether it changed since.
        std::string bytes;
        std::optional<struct stat> status;
    };

    enum class Change { write, leave };

    explicit ClaudeSettingsFile(std::filesystem::path path);

    const std::filesystem::path& path() const { return m_path; }

    // An empty or unparsable file may be another program's write caught
    // half-way: it is read again a few times over about 100 ms before it
    // counts as empty or unusable.
    Contents read() const;

    // Reads the file, lets change edit contents.object, and writes the
    // result unless change says leave, all under an advisory lock beside the
    // file. The file is replaced only if it is still exactly the one read;
    // otherwise the whole edit starts over, so change may run more than once.
    // Returns the reason on failure, "changed by another program" when it
    // kept changing.
    std::optional<std::string> edit(const std::function<Change(Contents&)>& change) const;

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
    enum class Outcome { replaced, changed, failed };
    Contents readOnce() const;
    Outcome replaceIfUnchanged(const std::filesystem::path& destination, const Contents& read,
                               const std::string& bytes, std::string& problem) const;

    std::filesystem::path m_path;
};

}  // namespace halvane
