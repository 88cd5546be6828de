#include "Halvane/Theme/SymbolGlyphs.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QPainterPathStroker>
#include <QSet>
#include <QTransform>

#include <algorithm>
#include <array>
#include <string>

#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Theme/NotchFonts.h"

namespace halvane::SymbolGlyphs {

namespace {

using namespace std::string_view_literals;

constexpr auto kTable = std::to_array<Entry>({
    {"arrow.counterclockwise"sv, 0xe042, "replay"sv},
    {"arrow.down.circle.fill"sv, 0xf000, "download_for_offline"sv},
    {"arrow.up.right"sv, 0xf1e1, "north_east"sv},
    {"arrow.uturn.backward"sv, 0xe166, "undo"sv},
    {"battery.100"sv, 0xe1a4, "battery_full"sv},
    {"battery.25"sv, 0xebe0, "battery_2_bar"sv},
    {"bell.badge.fill"sv, 0xe7f7, "notifications_active"sv},
    {"bolt.fill"sv, 0xea0b, "bolt"sv},
    {"checkmark"sv, 0xe5ca, "check"sv},
    {"checkmark.circle.fill"sv, 0xe86c, "check_circle"sv},
    {"checkmark.seal.fill"sv, 0xef76, "verified"sv},
    {"checkmark.shield.fill"sv, 0xe8e8, "verified_user"sv},
    {"chevron.left.forwardslash.chevron.right"sv, 0xe86f, "code"sv},
    {"chevron.up"sv, 0xe5ce, "expand_less"sv},
    {"ellipsis"sv, 0xe5d3, "more_horiz"sv},
    {"exclamationmark"sv, 0xe645, "priority_high"sv},
    {"hand.point.up.left.fill"sv, 0xe913, "touch_app"sv},
    {"infinity"sv, 0xeb3d, "all_inclusive"sv},
    {"info.circle"sv, 0xe88f, "info_outline"sv},
    {"link"sv, 0xe157, "link"sv},
    {"lock.shield"sv, 0xe32a, "security"sv},
    {"pause.fill"sv, 0xe034, "pause"sv},
    {"power"sv, 0xe8ac, "power_settings_new"sv},
    {"rectangle.dashed"sv, 0xe3c2, "crop_free"sv},
    {"slider.horizontal.3"sv, 0xe429, "tune"sv},
    {"sparkle"sv, 0xe65f, "auto_awesome"sv},
    {"speaker.wave.2.fill"sv, 0xe050, "volume_up"sv},
    {"sun.max.fill"sv, 0xe518, "light_mode"sv},
    {"terminal"sv, 0xeb8e, "terminal"sv},
    {"terminal.fill"sv, 0xeb8e, "terminal"sv},
    {"xmark"sv, 0xe5cd, "close"sv},
});

constexpr auto kFamily = "Material Icons";
// Where Debian's fonts-material-design-icons-iconfont puts the font, for a
// font configuration that does not list it.
constexpr auto kFontFile =
    "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf";

// The icon font draws its glyphs on a 24-unit grid with 2 units of margin, so
// an em of 1.2 point sizes puts about one point size of ink on the screen.
constexpr qreal kEmPerPoint = 1.2;
// Outlines are made once at this pixel size and scaled to the size asked for.
constexpr qreal kReferenceEm = 96;
// Extra outline per 100 units of weight above regular, as a fraction of the
// em: the font has one weight, heavier ones are drawn by widening the outline.
constexpr qreal kEmboldenPerWeightStep = 0.02;

bool loadFont() {
    if (QFontDatabase::hasFamily(kFamily)) {
        return true;
    }
    if (QFontDatabase::addApplicationFont(kFontFile) >= 0 && QFontDatabase::hasFamily(kFamily)) {
        return true;
    }
    log::error(std::string("Halvane: the icon font \"") + kFamily +
               "\" is not installed; symbols are drawn as placeholders");
    return false;
}

QFont referenceFont() {
    QFont font(kFamily);
    font.setPixelSize(static_cast<int>(kReferenceEm));
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

qreal emboldening(QFont::Weight weight) {
    const int steps = std::max(0, (static_cast<int>(weight) - QFont::Normal) / 100);
    return steps * kEmboldenPerWeightStep * kReferenceEm;
}

// The glyph outline on a reference em square whose top-left corner is (0, 0).
QPainterPath referenceGlyph(char16_t codepoint, QFont::Weight weight) {
    static QHash<quint64, QPainterPath> cache;
    const quint64 key = (static_cast<quint64>(codepoint) << 16) | static_cast<quint64>(weight);
    if (const auto found = cache.constFind(key); found != cache.constEnd()) {
        return *found;
    }
    const QFont font = referenceFont();
    const QFontMetricsF metrics(font);
    const QString text{QChar(codepoint)};
    QPainterPath glyph;
    const qreal left = (kReferenceEm - metrics.horizontalAdvance(text)) / 2;
    const qreal baseline = (kReferenceEm + metrics.ascent() - metrics.descent()) / 2;
    glyph.addText(QPointF(left, baseline), font, text);
    glyph.setFillRule(Qt::WindingFill);
    if (const qreal extra = emboldening(weight); extra > 0) {
        QPainterPathStroker stroker;
        stroker.setWidth(extra);
        stroker.setJoinStyle(Qt::RoundJoin);
        stroker.setCapStyle(Qt::RoundCap);
        glyph = glyph.united(stroker.createStroke(glyph)).simplified();
    }
    cache.insert(key, glyph);
    return glyph;
}

// The stand-in for a symbol without a glyph: a rounded square with a "?", so
// the gap is plain to see instead of an empty space.
QPainterPath placeholder(const QRectF& ink) {
    QPainterPath outline;
    const qreal line = std::max<qreal>(1, ink.width() * 0.1);
    const QRectF frame = ink.adjusted(line / 2, line / 2, -line / 2, -line / 2);
    outline.addRoundedRect(frame, ink.width() * 0.2, ink.width() * 0.2);
    QPainterPathStroker stroker;
    stroker.setWidth(line);
    QPainterPath result = stroker.createStroke(outline);

    const QFont font = NotchFonts::system(ink.height() * 0.75, QFont::Bold);
    const QFontMetricsF metrics(font);
    const QString mark = QStringLiteral("?");
    const QPointF origin(ink.center().x() - metrics.horizontalAdvance(mark) / 2,
                         ink.center().y() + metrics.capHeight() / 2);
    result.addText(origin, font, mark);
    result.setFillRule(Qt::WindingFill);
    return result;
}

void reportMissing(std::string_view name) {
    static QSet<QString> reported;
    const QString key = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    if (reported.contains(key)) {
        return;
    }
    reported.insert(key);
    log::error("Halvane: no glyph for the symbol \"" + std::string(name) + "\"");
}

}  // namespace

std::span<const Entry> table() {
    return kTable;
}

std::optional<char16_t> codepoint(std::string_view name) {
    const auto found = std::find_if(kTable.begin(), kTable.end(),
                                    [name](const Entry& entry) { return entry.name == name; });
    if (found == kTable.end()) {
        return std::nullopt;
    }
    return found->codepoint;
}

QString fontFamily() {
    return QString::fromLatin1(kFamily);
}

bool fontAvailable() {
    static const bool available = loadFont();
    return available;
}

bool fontHasGlyph(char16_t codepoint) {
    if (!fontAvailable()) {
        return false;
    }
    static QHash<char16_t, bool> cache;
    if (const auto found = cache.constFind(codepoint); found != cache.constEnd()) {
        return *found;
    }
    const bool present = QFontMetricsF(referenceFont()).inFont(QChar(codepoint));
    cache.insert(codepoint, present);
    return present;
}

bool hasGlyph(SymbolName name) {
    const auto glyph = codepoint(name);
    return glyph && fontHasGlyph(*glyph);
}

QSizeF size(qreal pointSize) {
    return QSizeF(pointSize, pointSize);
}

QPainterPath path(SymbolName name, const QRectF& box, qreal pointSize, QFont::Weight weight) {
    const QPointF centre = box.center();
    const auto glyph = codepoint(name);
    if (!glyph || !fontHasGlyph(*glyph)) {
        reportMissing(name.view());
        const QSizeF ink = size(pointSize);
        return placeholder(QRectF(centre - QPointF(ink.width() / 2, ink.height() / 2), ink));
    }
    const qreal em = pointSize * kEmPerPoint;
    QTransform transform;
    transform.translate(centre.x() - em / 2, centre.y() - em / 2);
    transform.scale(em / kReferenceEm, em / kReferenceEm);
    return transform.map(referenceGlyph(*glyph, weight));
}

void draw(QPainter& painter, SymbolName name, const QRectF& box, qreal pointSize,
          QFont::Weight weight, const QColor& color) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(path(name, box, pointSize, weight));
    painter.restore();
}

}  // namespace halvane::SymbolGlyphs
