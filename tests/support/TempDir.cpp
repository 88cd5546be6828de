#include "TempDir.h"

#include <stdlib.h>

#include <stdexcept>
#include <system_error>

namespace halvane::test {

TempDir::TempDir(const std::string& label) {
    // Short names: socket paths made inside must fit a Unix address.
    std::string pattern = (std::filesystem::temp_directory_path() / ("hv-" + label + "-XXXXXX"));
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed for " + pattern);
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

}  // namespace halvane::test
