#include "Halvane/Theme/NotchPalette.h"

namespace halvane::NotchPalette {

namespace {

QColor white(qreal opacity) {
    return QColor::fromRgbF(1, 1, 1, static_cast<float>(opacity));
}

QColor black(qreal opacity) {
    return QColor::fromRgbF(0, 0, 0, static_cast<float>(opacity));
}

}  // namespace

const QColor& accent() {
    static const QColor color = QColor::fromRgbF(0.98f, 0.55f, 0.30f, 1.0f);
    return color;
}

const QColor& cardFill() {
    static const QColor color = black(0.55);
    return color;
}

const QColor& cardStroke() {
    static const QColor color = white(0.07);
    return color;
}

const QColor& codeFill() {
    static const QColor color = black(0.55);
    return color;
}

const QColor& codeStroke() {
    static const QColor color = white(0.06);
    return color;
}

const QColor& mutedText() {
    static const QColor color = white(0.55);
    return color;
}

const QColor& dimText() {
    static const QColor color = white(0.4);
    return color;
}

const QColor& chipFill() {
    static const QColor color = white(0.08);
    return color;
}

QColor chipFill(bool pressed, bool hovered) {
    return pressed ? white(0.16) : hovered ? white(0.12) : chipFill();
}

const QColor& systemGreen() {
    static const QColor color = QColor::fromRgb(48, 209, 88);
    return color;
}

const QColor& systemRed() {
    static const QColor color = QColor::fromRgb(255, 69, 58);
    return color;
}

const QColor& systemOrange() {
    static const QColor color = QColor::fromRgb(255, 159, 10);
    return color;
}

QColor withOpacity(const QColor& color, qreal opacity) {
    QColor result = color;
    result.setAlphaF(static_cast<float>(color.alphaF() * opacity));
    return result;
}

}  // namespace halvane::NotchPalette
