#pragma once

// Another program editing Claude Code's settings file while Halvane does: it
// rewrites the file every period, either in place (truncate, write) or by
// renaming a finished copy over it, and counts how often it finds that a
// rewrite of its own has been undone. Used by the race test and the
// settings-race benchmark, always in a process of its own.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "Files.h"

namespace halvane::test {

enum class WriterMode { inPlace, byRename };

struct WriterCounts {
    long updates = 0;
    // Rewrites of ours that someone replaced with older content.
    long lost = 0;
    // Times the file was found without the user's own settings.
    long wipes = 0;
};

// The user's own settings the writer keeps and Halvane must never drop.
inline nlohmann::json userSettings(long counter) {
    return nlohmann::json{{"model", "opus"},
                          {"env", {{"EDITOR", "vim"}}},
                          {"permissions", {{"allow", {"Read"}}, {"deny", {"WebFetch"}}}},
                          {"writer", counter}};
}

// Puts the user's settings back into settings, leaving Halvane's rules.
inline void restoreUserSettings(nlohmann::json& settings, long counter) {
    const nlohmann::json user = userSettings(counter);
    if (!settings.is_object()) {
        settings = nlohmann::json::object();
    }
    for (const char* key : {"model", "env", "writer"}) {
        settings[key] = user[key];
    }
    if (!settings["permissions"].is_object()) {
        settings["permissions"] = user["permissions"];
    }
    settings["permissions"]["deny"] = user["permissions"]["deny"];
}

inline bool writeBytes(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// A parsed settings file that lacks one of the user's own keys.
inline bool wiped(const std::string& bytes) {
    const nlohmann::json settings = nlohmann::json::parse(bytes, nullptr, false, false);
    if (!settings.is_object()) {
        return false;  // caught mid-rewrite by the in-place writer
    }
    for (const char* key : {"model", "env", "permissions"}) {
        if (!settings.contains(key)) {
            return true;
        }
    }
    const auto& permissions = settings["permissions"];
    return !permissions.is_object() || !permissions.contains("deny");
}

// Runs until stop() holds.
inline WriterCounts runSettingsWriter(const std::filesystem::path& file, WriterMode mode,
                                      std::chrono::microseconds period,
                                      const std::function<bool()>& stop) {
    WriterCounts counts;
    long last = 0;
    const std::filesystem::path staged = file.parent_path() / ".settings.json.writer";
    while (!stop()) {
        const std::string before = readFile(file);
        counts.wipes += wiped(before) ? 1 : 0;
        if (mode == WriterMode::inPlace) {
            // Keeps whatever else the file holds, as an editor saving the
            // whole buffer would: Halvane's entries come back with it.
            nlohmann::json settings = nlohmann::json::parse(before, nullptr, false, false);
            restoreUserSettings(settings, ++last);
            const int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
            if (fd >= 0) {
                writeBytes(fd, settings.dump(2) + "\n");
                ::close(fd);
                ++counts.updates;
            }
        } else {
            nlohmann::json settings = nlohmann::json::parse(before, nullptr, false, false);
            const auto seen = settings.find("writer");
            if (last > 0 && (seen == settings.end() || !seen->is_number_integer() ||
                             seen->get<long>() < last)) {
                ++counts.lost;
            }
            restoreUserSettings(settings, ++last);
            const int fd = ::open(staged.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd >= 0 && writeBytes(fd, settings.dump(2) + "\n")) {
                ::close(fd);
                if (::rename(staged.c_str(), file.c_str()) == 0) {
                    ++counts.updates;
                }
            } else if (fd >= 0) {
                ::close(fd);
            }
        }
        std::this_thread::sleep_for(period);
    }
    return counts;
}

}  // namespace halvane::test
