#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "Halvane/Sessions/Clock.h"

namespace halvane::test {

// Transcript lines in the shape Claude Code writes them, and files made of them.
namespace TranscriptWriter {

inline std::string user(const std::string& text, const std::string& cwd) {
    return nlohmann::json{
        {"type", "user"}, {"cwd", cwd}, {"message", {{"role", "user"}, {"content", text}}}}
        .dump();
}

inline std::string assistant(const std::string& text, const std::string& cwd,
                             const std::string& stopReason = "end_turn",
                             const std::string& model = "claude-opus-4-6") {
    return nlohmann::json{
        {"type", "assistant"},
        {"cwd", cwd},
        {"message",
         {{"role", "assistant"},
          {"model", model},
          {"stop_reason", stopReason},
          {"content", nlohmann::json::array({{{"type", "text"}, {"text", text}}})}}}}
        .dump();
}

inline void setModified(const std::filesystem::path& path, Timestamp when) {
    const auto since = when.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
    const timespec time{static_cast<time_t>(seconds.count()),
                        static_cast<long>(std::chrono::nanoseconds(since - seconds).count())};
    const timespec times[2] = {time, time};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// Writes the lines, each ending in a line feed, and dates the file.
inline std::filesystem::path write(const std::filesystem::path& path,
                                   const std::vector<std::string>& lines, Timestamp modified) {
    std::filesystem::create_directories(path.parent_path());
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        for (const std::string& line : lines) {
            file << line << '\n';
        }
    }
    setModified(path, modified);
    return path;
}

inline void append(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::app) << text;
}

}  // namespace TranscriptWriter

}  // namespace halvane::test
