#pragma once

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>
#include <string_view>

#include "Halvane/Theme/Icon.h"

class QPainter;

// Icons are drawn from the Material Icons font, one glyph per icon. Main
// thread only (glyph outlines are cached).
namespace halvane::IconGlyphs {

// The icon font's glyph for `icon`.
char16_t codepoint(Icon icon);

// The icon's name ("batteryLow"), and the icon of a name; none for a name
// that is no icon's.
QString name(Icon icon);
std::optional<Icon> fromName(std::string_view name);

// The icon font's family, and whether the font is installed.
QString fontFamily();
bool fontAvailable();
// Whether the installed icon font has a glyph at `codepoint`.
bool fontHasGlyph(char16_t codepoint);

// The square an icon of `pointSize` occupies in a layout: its ink spans about
// one point size, like an icon set in text of that size.
QSizeF size(qreal pointSize);

// The filled outline of `icon` centred in `box`, at `pointSize` and `weight`.
// Without the font it is the stand-in: a rounded square with a "?".
QPainterPath path(Icon icon, const QRectF& box, qreal pointSize,
                  QFont::Weight weight = QFont::Normal);

// Fills `path(icon, box, pointSize, weight)` with `color`, antialiased.
void draw(QPainter& painter, Icon icon, const QRectF& box, qreal pointSize, QFont::Weight weight,
          const QColor& color);

// Fills the stand-in, for a name that is no icon's: the gap is plain to see
// and the name is logged once.
void drawStandIn(QPainter& painter, std::string_view name, const QRectF& box, qreal pointSize,
                 const QColor& color);

}  // namespace halvane::IconGlyphs
