#pragma once

#include <sys/types.h>
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace halvane::test {

struct ChildResult {
    std::string standardOutput;
    std::string standardError;
    // Exit status, or -signal when a signal ended the process.
    int exitStatus = -1;
    bool timedOut = false;
    std::chrono::milliseconds elapsed{0};
};

struct ChildOptions {
    std::string standardInput;
    // Variables set (or, with an empty optional, removed) on top of ours.
    std::map<std::string, std::optional<std::string>> environment;
    std::string workingDirectory;
    std::chrono::milliseconds limit{20000};
};

// Runs argv as a real process with pipes on its three standard streams and
// waits for it, killing it after options.limit.
ChildResult runChild(const std::vector<std::string>& argv, const ChildOptions& options = {});

// The folder holding this test binary; sibling programs are found there.
std::string binaryDirectory();

}  // namespace halvane::test
