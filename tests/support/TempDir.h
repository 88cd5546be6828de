#pragma once

#include <filesystem>
#include <string>

namespace halvane::test {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes away.
class TempDir final {
public:
    explicit TempDir(const std::string& label = "test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

}  // namespace halvane::test
