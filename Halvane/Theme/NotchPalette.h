#pragma once

#include <QColor>

// The colours of the notch's dark visual language: a warm orange accent on
// black glass. Each is made once, on first use.
namespace halvane::NotchPalette {

const QColor& accent();
const QColor& cardFill();
const QColor& cardStroke();
const QColor& codeFill();
const QColor& codeStroke();
const QColor& mutedText();
const QColor& dimText();
const QColor& chipFill();
// A chip's fill as it answers the pointer: brighter under it, brighter still
// while pressed, so the choice is clear.
QColor chipFill(bool pressed, bool hovered);

// The desktop's semantic colours as they look on a dark background, for the
// places that say "green", "red" or "orange" rather than a palette colour.
const QColor& systemGreen();
const QColor& systemRed();
const QColor& systemOrange();

// `color` with its opacity multiplied by `opacity`, as layered translucency does.
QColor withOpacity(const QColor& color, qreal opacity);

}  // namespace halvane::NotchPalette
