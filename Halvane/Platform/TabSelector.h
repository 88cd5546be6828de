#pragma once

#include <cstdint>
#include <string>

namespace halvane {

// Selects a tab inside another program's window, through the desktop's
// accessibility interface. The search asks the other program and may take
// long: it is called on worker threads, several searches at once.
class TabSelector {
public:
    virtual ~TabSelector() = default;

    // Presses the first tab of the program with this pid whose title contains
    // needle (case-insensitively); false when there is none or no way to look.
    virtual bool selectTab(std::int32_t pid, const std::string& needle) = 0;
};

}  // namespace halvane
