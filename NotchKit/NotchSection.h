#pragma once

#include <optional>
#include <string_view>

namespace notchkit {

// Where a piece of content is drawn, so it can adapt (smaller strokes in a wing).
enum class NotchSection { expanded, compactLeading, compactTrailing };

constexpr std::string_view rawValue(NotchSection section) {
    switch (section) {
        case NotchSection::expanded:
            return "expanded";
        case NotchSection::compactLeading:
            return "compactLeading";
        case NotchSection::compactTrailing:
            return "compactTrailing";
    }
    return "expanded";
}

constexpr std::optional<NotchSection> notchSectionFromRawValue(std::string_view raw) {
    for (const auto section :
         {NotchSection::expanded, NotchSection::compactLeading, NotchSection::compactTrailing}) {
        if (rawValue(section) == raw) {
            return section;
        }
    }
    return std::nullopt;
}

}  // namespace notchkit
