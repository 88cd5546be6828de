#include <gtest/gtest.h>

#include "Halvane/Theme/NotchPalette.h"

namespace halvane {
namespace {

struct Expected {
    const char* name;
    const QColor& (*color)();
    float red, green, blue, alpha;
};

TEST(NotchPaletteTest, ColoursHaveTheThemeValues) {
    const Expected expected[] = {
        {"accent", NotchPalette::accent, 0.98f, 0.55f, 0.30f, 1.0f},
        {"cardFill", NotchPalette::cardFill, 0, 0, 0, 0.55f},
        {"cardStroke", NotchPalette::cardStroke, 1, 1, 1, 0.07f},
        {"codeFill", NotchPalette::codeFill, 0, 0, 0, 0.55f},
        {"codeStroke", NotchPalette::codeStroke, 1, 1, 1, 0.06f},
        {"mutedText", NotchPalette::mutedText, 1, 1, 1, 0.55f},
        {"dimText", NotchPalette::dimText, 1, 1, 1, 0.4f},
        {"chipFill", NotchPalette::chipFill, 1, 1, 1, 0.08f},
    };
    // QColor keeps 16 bits a channel.
    constexpr float tolerance = 1.0f / 65535;
    for (const auto& colour : expected) {
        SCOPED_TRACE(colour.name);
        const QColor& actual = colour.color();
        EXPECT_EQ(actual.spec(), QColor::Rgb);
        EXPECT_NEAR(actual.redF(), colour.red, tolerance);
        EXPECT_NEAR(actual.greenF(), colour.green, tolerance);
        EXPECT_NEAR(actual.blueF(), colour.blue, tolerance);
        EXPECT_NEAR(actual.alphaF(), colour.alpha, tolerance);
        EXPECT_EQ(&actual, &colour.color()) << "made once and shared";
    }
}

TEST(NotchPaletteTest, WithOpacityMultipliesTheExistingOpacity) {
    const QColor half = NotchPalette::withOpacity(NotchPalette::mutedText(), 0.5);
    EXPECT_NEAR(half.alphaF(), 0.275, 1e-4);
    EXPECT_EQ(half.rgb(), NotchPalette::mutedText().rgb());
    EXPECT_NEAR(NotchPalette::withOpacity(NotchPalette::accent(), 0.18).alphaF(), 0.18, 1e-4);
}

}  // namespace
}  // namespace halvane
