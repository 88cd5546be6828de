#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "Halvane/Platform/PowerSourceDescription.h"

namespace halvane {

// The machine's batteries and adapter, read whenever the system reports a
// change; nobody polls them.
class PowerSource {
public:
    virtual ~PowerSource() = default;

    // The current sources in the system's order; empty on a machine without a
    // battery or when the power service cannot be reached.
    virtual std::vector<PowerSourceDescription> descriptions() = 0;
    // From now on calls onChange on the main thread after each change the
    // system reports. False when the system offers no change reports.
    virtual bool watch(std::function<void()> onChange) = 0;
};

// The power sources of the running system.
std::unique_ptr<PowerSource> makeSystemPowerSource();

}  // namespace halvane
