#pragma once

namespace halvane {

// Joins the notch kit and Qt to the application: their diagnostics go to
// Halvane's log, and every symbol the kit draws comes from Halvane's glyph
// table.
namespace NotchKitBridge {

void install();

}  // namespace NotchKitBridge

}  // namespace halvane
