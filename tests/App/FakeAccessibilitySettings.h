#pragma once

#include "Halvane/Platform/AccessibilitySettings.h"

namespace halvane::test {

// Counts the requests to open the desktop's accessibility settings.
class FakeAccessibilitySettings final : public AccessibilitySettings {
public:
    bool open() override {
        ++opened;
        return true;
    }

    int opened = 0;
};

}  // namespace halvane::test
