#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

#include <functional>
#include <optional>

class QPainter;

namespace notchkit {

// Draws named symbols ("checkmark.circle.fill") for the kit's labels. A host
// with its own symbol table installs a painter so every symbol in the program
// comes from that one table; without one the kit draws the few symbols it
// knows from the Material Icons font, and a framed "?" for any other name.
class NotchSymbol final {
public:
    using Painter = std::function<void(QPainter& painter, const QString& name, const QRectF& box,
                                       QColor color)>;

    static void setPainter(Painter painter);
    static void draw(QPainter& painter, const QString& name, const QRectF& box, QColor color);

    // The Material Icons glyph the kit's own table has for `name`.
    static std::optional<char16_t> builtinGlyph(const QString& name);
};

}  // namespace notchkit
