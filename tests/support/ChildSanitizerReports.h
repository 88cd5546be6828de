#pragma once

#include <filesystem>
#include <string>

#include "TempDir.h"

namespace halvane::test {

// Sends the sanitizer reports of every process this test starts (the app,
// the relay, its daemons) to files of its own folder instead of their
// standard error, which tests capture or throw away, and whose exit status
// not every test looks at. In a build without sanitizers nothing is written.
class ChildSanitizerReports final {
public:
    ChildSanitizerReports();
    ChildSanitizerReports(const ChildSanitizerReports&) = delete;
    ChildSanitizerReports& operator=(const ChildSanitizerReports&) = delete;

    // Prints each report written so far to standard error; true when there
    // was one.
    bool printReports() const;

private:
    TempDir m_folder;
};

}  // namespace halvane::test
