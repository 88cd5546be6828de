#pragma once

#include <functional>
#include <vector>

#include "Halvane/Platform/PowerSource.h"

namespace halvane::test {

// A battery the test sets by hand; change() plays the system's report.
class FakePowerSource final : public PowerSource {
public:
    std::vector<PowerSourceDescription> descriptions() override { return sources; }
    bool watch(std::function<void()> onChange) override {
        m_onChange = std::move(onChange);
        return true;
    }

    // A battery at percent, on the adapter or not.
    void set(int percent, bool onAdapter, bool charging = false) {
        sources = {
            {percent, 100, std::string(onAdapter ? acPowerState : batteryPowerState), charging}};
    }
    void change() {
        if (m_onChange) {
            m_onChange();
        }
    }
    bool watched() const { return static_cast<bool>(m_onChange); }

    std::vector<PowerSourceDescription> sources;

private:
    std::function<void()> m_onChange;
};

}  // namespace halvane::test
