#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace halvane {

// One power source as the system describes it. Every entry may be missing;
// readers pick their own defaults.
struct PowerSourceDescription {
    std::optional<int> currentCapacity;
    std::optional<int> maxCapacity;
    // acPowerState when the machine runs from the adapter.
    std::optional<std::string> powerSourceState;
    std::optional<bool> isCharging;
};

inline constexpr std::string_view acPowerState = "AC Power";
inline constexpr std::string_view batteryPowerState = "Battery Power";

}  // namespace halvane
