#pragma once

#include <string>
#include <vector>

#include "TempDir.h"

namespace halvane::test {

// Collects what the process writes to standard error (where the log facility
// echoes every line) while it exists, from every thread.
class LogCapture final {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The lines written so far.
    std::vector<std::string> lines() const;
    // Whether any line written so far equals line.
    bool contains(const std::string& line) const;

private:
    TempDir m_dir{"log"};
    int m_savedError = -1;
};

}  // namespace halvane::test
