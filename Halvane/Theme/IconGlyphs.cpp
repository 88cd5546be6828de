#include "Halvane/Theme/IconGlyphs.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QMetaEnum>
#include <QPainter>
#include <QPainterPathStroker>
#include <QSet>
#include <QTransform>

#include <algorithm>
#include <string>

#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Theme/NotchFonts.h"

namespace halvane::IconGlyphs {

namespace {

using namespace std::string_view_literals;

// Glyph names are the icon font's own, for readers.
char16_t glyphOf(Icon icon) {
    switch (icon) {
        case Icon::arrowUpRight:
            return 0xf1e1;  // north_east
        case Icon::batteryFull:
            return 0xe1a4;  // battery_full
        case Icon::batteryLow:
            return 0xebe0;  // battery_2_bar
        case Icon::bellRinging:
            return 0xe7f7;  // notifications_active
        case Icon::bolt:
            return 0xea0b;  // bolt
        case Icon::check:
            return 0xe5ca;  // check
        case Icon::checkCircle:
            return 0xe86c;  // check_circle
        case Icon::chevronUp:
            return 0xe5ce;  // expand_less
        case Icon::close:
            return 0xe5cd;  // close
        case Icon::code:
            return 0xe86f;  // code
        case Icon::dashedFrame:
            return 0xe3c2;  // crop_free
        case Icon::download:
            return 0xf000;  // download_for_offline
        case Icon::exclamation:
            return 0xe645;  // priority_high
        case Icon::infinity:
            return 0xeb3d;  // all_inclusive
        case Icon::info:
            return 0xe88f;  // info_outline
        case Icon::link:
            return 0xe157;  // link
        case Icon::moreDots:
            return 0xe5d3;  // more_horiz
        case Icon::pause:
            return 0xe034;  // pause
        case Icon::pointingHand:
            return 0xe913;  // touch_app
        case Icon::power:
            return 0xe8ac;  // power_settings_new
        case Icon::replay:
            return 0xe042;  // replay
        case Icon::shield:
            return 0xe32a;  // security
        case Icon::shieldCheck:
            return 0xe8e8;  // verified_user
        case Icon::sliders:
            return 0xe429;  // tune
        case Icon::sparkle:
            return 0xe65f;  // auto_awesome
        case Icon::speaker:
            return 0xe050;  // volume_up
        case Icon::sun:
            return 0xe518;  // light_mode
        case Icon::terminal:
            return 0xeb8e;  // terminal
        case Icon::undo:
            return 0xe166;  // undo
        case Icon::verifiedSeal:
            return 0xef76;  // verified
        case Icon::warning:
            return 0xe002;  // warning
    }
    return 0xe8fd;  // help_outline
}

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
               "\" is not installed; icons are drawn as placeholders");
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

// The stand-in for an icon without a glyph: a rounded square with a "?", so
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
    log::error("Halvane: no glyph for the icon \"" + std::string(name) + "\"");
}

QPainterPath standIn(const QPointF& centre, qreal pointSize) {
    const QSizeF ink(pointSize, pointSize);
    return placeholder(QRectF(centre - QPointF(ink.width() / 2, ink.height() / 2), ink));
}

void fill(QPainter& painter, const QPainterPath& path, const QColor& color) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(path);
    painter.restore();
}

}  // namespace

char16_t codepoint(Icon icon) {
    return glyphOf(icon);
}

QString name(Icon icon) {
    return QString::fromLatin1(QMetaEnum::fromType<Icon>().valueToKey(static_cast<int>(icon)));
}

std::optional<Icon> fromName(std::string_view name) {
    const std::string key(name);
    bool found = false;
    const int value = QMetaEnum::fromType<Icon>().keyToValue(key.c_str(), &found);
    if (!found) {
        return std::nullopt;
    }
    return static_cast<Icon>(value);
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

QSizeF size(qreal pointSize) {
    return QSizeF(pointSize, pointSize);
}

QPainterPath path(Icon icon, const QRectF& box, qreal pointSize, QFont::Weight weight) {
    const QPointF centre = box.center();
    const char16_t glyph = codepoint(icon);
    if (!fontHasGlyph(glyph)) {
        reportMissing(name(icon).toStdString());
        return standIn(centre, pointSize);
    }
    const qreal em = pointSize * kEmPerPoint;
    QTransform transform;
    transform.translate(centre.x() - em / 2, centre.y() - em / 2);
    transform.scale(em / kReferenceEm, em / kReferenceEm);
    return transform.map(referenceGlyph(glyph, weight));
}

void draw(QPainter& painter, Icon icon, const QRectF& box, qreal pointSize, QFont::Weight weight,
          const QColor& color) {
    fill(painter, path(icon, box, pointSize, weight), color);
}

void drawStandIn(QPainter& painter, std::string_view name, const QRectF& box, qreal pointSize,
                 const QColor& color) {
    reportMissing(name);
    fill(painter, standIn(box.center(), pointSize), color);
}

}  // namespace halvane::IconGlyphs
