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

// This process's environment with changes applied (an empty optional removes
// the variable), as "NAME=value" strings.
std::vector<std::string> mergedEnvironment(
    const std::map<std::string, std::optional<std::string>>& changes);
// A NULL-terminated pointer array over strings, for execve.
std::vector<char*> pointers(std::vector<std::string>& strings);

// The folder holding this test binary; sibling programs are found there.
std::string binaryDirectory();

}  // namespace halvane::test
