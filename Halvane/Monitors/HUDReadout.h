#pragma once

#include <string>
#include <string_view>

#include "Halvane/Monitors/HUDKind.h"

namespace halvane::HUDReadout {

// The two colours the HUD draws in; views map them to the palette.
enum class Tint { accent, systemRed };

// The bar's fill, 0…1 for the views: a battery kind's payload as a fraction,
// else the monitor's value; a muted volume is empty.
float barValue(const HUDKind& kind, float volume, bool isMuted, float brightness);

// The percentage beside the bar: a battery kind's payload, else the bar's
// value rounded to whole percent ("33%", and "0%" while muted).
std::string label(const HUDKind& kind, float barValue);

// The icon of the leading view, by the name the theme's icons go by ("bolt").
std::string_view iconName(const HUDKind& kind);

// Red for a low battery, the accent for everything else; the same for the
// icon, the bar and the label.
Tint tint(const HUDKind& kind);

}  // namespace halvane::HUDReadout
