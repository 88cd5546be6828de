#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "Files.h"
#include "GuiTestSupport.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/SymbolGlyphs.h"

namespace halvane {
namespace {

using test::countPixels;
using test::guiApplication;
using test::readFile;

// Every `"…"_sym` literal in the application's sources.
std::set<std::string> symbolNamesInSources() {
    static const std::regex literal(R"re("([^"\\]+)"_sym)re");
    std::set<std::string> names;
    const std::filesystem::path root = std::filesystem::path(HALVANE_SOURCE_DIR) / "Halvane";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const auto extension = entry.path().extension();
        if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) {
            continue;
        }
        const std::string source = readFile(entry.path());
        for (std::sregex_iterator match(source.begin(), source.end(), literal), end; match != end;
             ++match) {
            names.insert((*match)[1].str());
        }
    }
    return names;
}

QImage drawSymbol(SymbolName name, qreal pointSize, QFont::Weight weight) {
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    SymbolGlyphs::draw(painter, name, QRectF(0, 0, 64, 64), pointSize, weight, Qt::white);
    return image;
}

bool inked(const QColor& color) {
    return color.alpha() > 128;
}

// The smallest rectangle holding every clearly inked pixel.
QRect inkBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (inked(image.pixelColor(x, y))) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

TEST(SymbolGlyphsTest, EveryTableEntryIsUniqueAndPresentInTheIconFont) {
    guiApplication();
    ASSERT_TRUE(SymbolGlyphs::fontAvailable())
        << "install fonts-material-design-icons-iconfont (scripts/install-deps)";
    std::set<std::string_view> seen;
    for (const auto& entry : SymbolGlyphs::table()) {
        SCOPED_TRACE(std::string(entry.name));
        EXPECT_TRUE(seen.insert(entry.name).second) << "listed twice";
        EXPECT_TRUE(SymbolGlyphs::fontHasGlyph(entry.codepoint)) << entry.glyphName;
    }
}

TEST(SymbolGlyphsTest, EverySymbolNameUsedInTheSourcesHasAGlyph) {
    guiApplication();
    const auto names = symbolNamesInSources();
    // The theme's own names: if the walk finds none of them it found nothing.
    EXPECT_TRUE(names.contains("sparkle"));
    EXPECT_TRUE(names.contains("checkmark"));
    for (const auto& name : names) {
        EXPECT_TRUE(SymbolGlyphs::codepoint(name).has_value())
            << '"' << name << "\" is drawn but has no entry in SymbolGlyphs' table";
    }
    for (const auto& entry : SymbolGlyphs::table()) {
        EXPECT_TRUE(SymbolGlyphs::fontHasGlyph(entry.codepoint)) << entry.name;
    }
}

TEST(SymbolGlyphsTest, ASymbolIsCentredInItsBoxAtAboutItsPointSize) {
    guiApplication();
    for (const auto name : {"checkmark.circle.fill"_sym, "pause.fill"_sym, "xmark"_sym}) {
        SCOPED_TRACE(std::string(name.view()));
        const QRect ink = inkBounds(drawSymbol(name, 24, QFont::Normal));
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_NEAR(ink.center().x() + 0.5, 32, 2);
        EXPECT_NEAR(ink.center().y() + 0.5, 32, 2);
        EXPECT_LE(std::max(ink.width(), ink.height()), 26);
        EXPECT_GE(std::max(ink.width(), ink.height()), 14);
    }
}

TEST(SymbolGlyphsTest, HeavierWeightsDrawThickerStrokes) {
    guiApplication();
    const auto regular = drawSymbol("checkmark"_sym, 24, QFont::Normal);
    const auto bold = drawSymbol("checkmark"_sym, 24, QFont::Bold);
    const int regularInk = countPixels(regular, regular.rect(), inked);
    const int boldInk = countPixels(bold, bold.rect(), inked);
    EXPECT_GT(regularInk, 0);
    EXPECT_GT(boldInk, regularInk * 1.15) << regularInk << " vs " << boldInk;
}

TEST(SymbolGlyphsTest, AnUnknownNameDrawsAVisiblePlaceholder) {
    guiApplication();
    EXPECT_FALSE(SymbolGlyphs::codepoint("no.such.symbol"_sym).has_value());
    EXPECT_FALSE(SymbolGlyphs::hasGlyph("no.such.symbol"_sym));
    const auto image = drawSymbol("no.such.symbol"_sym, 24, QFont::Normal);
    const QRect ink = inkBounds(image);
    EXPECT_GT(countPixels(image, image.rect(), inked), 40);
    EXPECT_GE(ink.width(), 20);
    EXPECT_NEAR(ink.center().x() + 0.5, 32, 2);
}

TEST(NotchFontsTest, UsesInterAndJetBrainsMonoAtOnePixelPerPoint) {
    guiApplication();
    EXPECT_EQ(NotchFonts::systemFamily(), "Inter") << "install fonts-inter";
    EXPECT_EQ(NotchFonts::monospacedFamily(), "JetBrains Mono") << "install fonts-jetbrains-mono";

    const QFontInfo system(NotchFonts::system(13, QFont::DemiBold));
    EXPECT_EQ(system.family(), "Inter");
    EXPECT_EQ(system.pixelSize(), 13);
    EXPECT_EQ(system.weight(), QFont::DemiBold);
    EXPECT_EQ(NotchFonts::rounded(11).family(), "Inter");

    const QFont mono = NotchFonts::monospaced(11, QFont::Bold);
    EXPECT_EQ(QFontInfo(mono).family(), "JetBrains Mono");
    EXPECT_TRUE(QFontInfo(mono).fixedPitch());
    const QFontMetricsF metrics(mono);
    EXPECT_DOUBLE_EQ(metrics.horizontalAdvance('i'), metrics.horizontalAdvance('W'));

    // Fractional sizes stay fractional rather than rounding to whole pixels.
    EXPECT_GT(QFontMetricsF(NotchFonts::monospaced(11.5)).horizontalAdvance("0000000000"),
              QFontMetricsF(NotchFonts::monospaced(11)).horizontalAdvance("0000000000"));
}

TEST(NotchFontsTest, AMissingFamilyFallsBackToTheStandIn) {
    guiApplication();
    EXPECT_EQ(NotchFonts::chooseFamily("No Such Family Anywhere", "Inter"), "Inter");
    EXPECT_EQ(NotchFonts::chooseFamily("Inter", "DejaVu Sans"), "Inter");
}

}  // namespace
}  // namespace halvane
