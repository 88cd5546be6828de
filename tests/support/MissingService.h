#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace halvane::test {

// CI sets CI=true and installs every service the suite needs, so there a
// missing one is a fault of the set-up, not a reason to skip.
inline bool inContinuousIntegration() {
    const char* value = std::getenv("CI");
    return value != nullptr && std::string(value) == "true";
}

}  // namespace halvane::test

// Skips the current test with the reason, or fails it under CI.
#define HALVANE_SKIP_UNLESS_CI(reason)                    \
    do {                                                  \
        if (::halvane::test::inContinuousIntegration()) { \
            FAIL() << (reason);                           \
        }                                                 \
        GTEST_SKIP() << (reason);                         \
    } while (false)
