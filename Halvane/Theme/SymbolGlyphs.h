#pragma once

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QRectF>
#include <QSizeF>

#include <optional>
#include <span>
#include <string_view>

#include "Halvane/Theme/SymbolName.h"

class QPainter;

// Symbols are drawn from the Material Icons font: one table maps each symbol
// name the views use to its glyph. Main thread only (glyph outlines are cached).
namespace halvane::SymbolGlyphs {

struct Entry {
    std::string_view name;
    char16_t codepoint;
    std::string_view glyphName;  // the glyph's name in the icon font, for readers
};

std::span<const Entry> table();

// The glyph for a symbol name; none when the table has no such name.
std::optional<char16_t> codepoint(std::string_view name);
inline std::optional<char16_t> codepoint(SymbolName name) {
    return codepoint(name.view());
}

// The icon font's family, and whether the font is installed.
QString fontFamily();
bool fontAvailable();
// Whether the installed icon font has a glyph at `codepoint`.
bool fontHasGlyph(char16_t codepoint);
// Whether `name` will draw its own glyph (mapped and present in the font)
// rather than the visible stand-in for a missing one.
bool hasGlyph(SymbolName name);

// The square a symbol of `pointSize` occupies in a layout: its ink spans about
// one point size, like a symbol set in text of that size.
QSizeF size(qreal pointSize);

// The filled outline of `name` centred in `box`, at `pointSize` and `weight`.
// A name without a glyph gives the stand-in: a rounded square with a "?".
QPainterPath path(SymbolName name, const QRectF& box, qreal pointSize,
                  QFont::Weight weight = QFont::Normal);

// Fills `path(name, box, pointSize, weight)` with `color`, antialiased.
void draw(QPainter& painter, SymbolName name, const QRectF& box, qreal pointSize,
          QFont::Weight weight, const QColor& color);

}  // namespace halvane::SymbolGlyphs
