#pragma once

#include <optional>
#include <vector>

#include "Halvane/Platform/Backlight.h"

namespace halvane::test {

// A panel whose level the test moves; reads are counted so a test can wait
// for polls to have happened instead of for time to pass.
class FakeBacklight final : public Backlight {
public:
    std::optional<float> read() override {
        ++reads;
        return level;
    }
    void write(float value) override {
        written.push_back(value);
        if (level) {
            level = value;
        }
    }

    // nullopt: no backlight at all.
    std::optional<float> level = 0.5f;
    std::vector<float> written;
    int reads = 0;
};

}  // namespace halvane::test
