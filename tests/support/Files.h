#pragma once

// Whole files in and out, as the tests set up and inspect them.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace halvane::test {

// The file's bytes; empty when it cannot be read (yet).
inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Writes text as the whole file, creating its folder when needed.
inline void writeFile(const std::filesystem::path& path, const std::string& text) {
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path());
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

}  // namespace halvane::test
