#include "ChildSanitizerReports.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>

namespace halvane::test {

namespace {

constexpr const char* reportPrefix = "report.";

}  // namespace

ChildSanitizerReports::ChildSanitizerReports() : m_folder("sanitizer-reports") {
    // The sanitizers read these when a process starts, so this process keeps
    // reporting on its own standard error; children inherit the log path.
    // Each runtime (UBSan beside ASan is one of its own) reads its own variable.
    const std::string logPath = "log_path=" + (m_folder.path() / "report").string();
    for (const char* variable : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS"}) {
        const char* current = std::getenv(variable);
        std::string options = current != nullptr ? current : "";
        options += options.empty() ? logPath : ":" + logPath;
        ::setenv(variable, options.c_str(), 1);
    }
}

bool ChildSanitizerReports::printReports() const {
    std::set<std::filesystem::path> reports;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder.path(), error)) {
        if (entry.path().filename().string().starts_with(reportPrefix)) {
            reports.insert(entry.path());
        }
    }
    for (const auto& report : reports) {
        std::ifstream file(report);
        const std::string text{std::istreambuf_iterator<char>(file),
                               std::istreambuf_iterator<char>()};
        std::cerr << "A process this test started reported a fault (" << report.filename().string()
                  << " is its pid):\n"
                  << text << std::flush;
    }
    return !reports.empty();
}

}  // namespace halvane::test
