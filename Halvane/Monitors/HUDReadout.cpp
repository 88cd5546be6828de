#include "Halvane/Monitors/HUDReadout.h"

#include <cmath>

namespace halvane::HUDReadout {

float barValue(const HUDKind& kind, float volume, bool isMuted, float brightness) {
    switch (kind.kind) {
        case HUDKind::Case::batteryPlugged:
        case HUDKind::Case::batteryUnplugged:
        case HUDKind::Case::batteryLow:
            return static_cast<float>(kind.payload) / 100.0f;
        case HUDKind::Case::brightness:
            return brightness;
        case HUDKind::Case::volume:
            return isMuted ? 0.0f : volume;
    }
    return 0.0f;
}

std::string label(const HUDKind& kind, float barValue) {
    if (kind.isBattery()) {
        return std::to_string(kind.payload) + "%";
    }
    // Halves round away from zero.
    return std::to_string(std::lround(static_cast<double>(barValue) * 100.0)) + "%";
}

std::string_view symbolName(const HUDKind& kind) {
    switch (kind.kind) {
        case HUDKind::Case::batteryPlugged:
            return "bolt.fill";
        case HUDKind::Case::batteryUnplugged:
            return "battery.100";
        case HUDKind::Case::batteryLow:
            return "battery.25";
        case HUDKind::Case::volume:
            return "speaker.wave.2.fill";
        case HUDKind::Case::brightness:
            return "sun.max.fill";
    }
    return "speaker.wave.2.fill";
}

Tint tint(const HUDKind& kind) {
    return kind.kind == HUDKind::Case::batteryLow ? Tint::systemRed : Tint::accent;
}

}  // namespace halvane::HUDReadout
