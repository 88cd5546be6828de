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

std::string_view iconName(const HUDKind& kind) {
    switch (kind.kind) {
        case HUDKind::Case::batteryPlugged:
            return "bolt";
        case HUDKind::Case::batteryUnplugged:
            return "batteryFull";
        case HUDKind::Case::batteryLow:
            return "batteryLow";
        case HUDKind::Case::volume:
            return "speaker";
        case HUDKind::Case::brightness:
            return "sun";
    }
    return "speaker";
}

Tint tint(const HUDKind& kind) {
    return kind.kind == HUDKind::Case::batteryLow ? Tint::systemRed : Tint::accent;
}

}  // namespace halvane::HUDReadout
