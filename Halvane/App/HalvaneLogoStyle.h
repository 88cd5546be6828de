#pragma once

#include <optional>
#include <string_view>

namespace halvane {

// How the logo is drawn: in colour, or as a template whose shape alone
// counts (solid black, to be tinted by whoever shows it).
enum class HalvaneLogoStyle { color, templateImage };

constexpr std::string_view rawValue(HalvaneLogoStyle style) {
    return style == HalvaneLogoStyle::color ? "color" : "template";
}

constexpr std::optional<HalvaneLogoStyle> halvaneLogoStyleFromRaw(std::string_view raw) {
    for (const auto style : {HalvaneLogoStyle::color, HalvaneLogoStyle::templateImage}) {
        if (rawValue(style) == raw) {
            return style;
        }
    }
    return std::nullopt;
}

}  // namespace halvane
