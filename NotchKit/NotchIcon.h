#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

#include <functional>
#include <optional>

class QPainter;

namespace notchkit {

// Draws named icons ("checkCircle") for the kit's labels. A host with icons
// of its own installs a painter so every icon in the program comes from one
// place; without one the kit draws the few icons it
// knows from the Material Icons font, and a framed "?" for any other name.
class NotchIcon final {
public:
    using Painter = std::function<void(QPainter& painter, const QString& name, const QRectF& box,
                                       QColor color)>;

    static void setPainter(Painter painter);
    static void draw(QPainter& painter, const QString& name, const QRectF& box, QColor color);

    // The Material Icons glyph the kit's own table has for `name`.
    static std::optional<char16_t> builtinGlyph(const QString& name);
};

}  // namespace notchkit
