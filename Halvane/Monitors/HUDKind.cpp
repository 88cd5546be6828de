#include "Halvane/Monitors/HUDKind.h"

namespace halvane {

namespace {

constexpr HUDKind::Case allCases[] = {HUDKind::Case::batteryPlugged,
                                      HUDKind::Case::batteryUnplugged, HUDKind::Case::batteryLow,
                                      HUDKind::Case::volume, HUDKind::Case::brightness};

}  // namespace

std::string_view rawValue(HUDKind::Case kind) {
    switch (kind) {
        case HUDKind::Case::batteryPlugged:
            return "batteryPlugged";
        case HUDKind::Case::batteryUnplugged:
            return "batteryUnplugged";
        case HUDKind::Case::batteryLow:
            return "batteryLow";
        case HUDKind::Case::volume:
            return "volume";
        case HUDKind::Case::brightness:
            return "brightness";
    }
    return "volume";
}

std::optional<HUDKind::Case> hudKindCaseFromRaw(std::string_view raw) {
    for (const HUDKind::Case kind : allCases) {
        if (rawValue(kind) == raw) {
            return kind;
        }
    }
    return std::nullopt;
}

}  // namespace halvane
