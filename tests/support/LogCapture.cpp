#include "LogCapture.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

namespace halvane::test {

LogCapture::LogCapture() {
    const int file =
        ::open((m_dir / "stderr").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (file < 0) {
        return;
    }
    m_savedError = ::dup(STDERR_FILENO);
    ::dup2(file, STDERR_FILENO);
    ::close(file);
}

LogCapture::~LogCapture() {
    if (m_savedError >= 0) {
        ::dup2(m_savedError, STDERR_FILENO);
        ::close(m_savedError);
    }
}

std::vector<std::string> LogCapture::lines() const {
    std::vector<std::string> result;
    std::ifstream file(m_dir / "stderr");
    for (std::string line; std::getline(file, line);) {
        result.push_back(line);
    }
    return result;
}

bool LogCapture::contains(const std::string& line) const {
    const auto all = lines();
    return std::find(all.begin(), all.end(), line) != all.end();
}

}  // namespace halvane::test
