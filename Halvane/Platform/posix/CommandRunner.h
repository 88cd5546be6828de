#pragma once

#include <chrono>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace halvane {

// Runs a program with an argument vector (never through a shell), with the
// caller's environment and its standard streams on /dev/null, and waits for it.
// Returns 0 on exit status 0, the exit status when it failed, or a positive
// errno when it could not be started; a program still running at the limit is
// killed and reported as ETIMEDOUT. A stop request ends it the same way,
// reported as ECANCELED. Safe on any thread.
int runCommand(const std::vector<std::string>& argv,
               std::chrono::milliseconds limit = std::chrono::milliseconds(3000),
               std::stop_token stop = {});

// Like runCommand, and collects what the program writes to standard output.
// Empty when it could not run, failed, outlived the limit or was stopped.
std::optional<std::string> captureCommand(
    const std::vector<std::string>& argv,
    std::chrono::milliseconds limit = std::chrono::milliseconds(3000), std::stop_token stop = {});

}  // namespace halvane
