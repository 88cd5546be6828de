#include "NotchIcon.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QSet>

#include "NotchLog.h"

namespace notchkit {

namespace {

constexpr auto fontFamily = "Material Icons";
constexpr auto fontFile =
    "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf";

NotchIcon::Painter& installedPainter() {
    static NotchIcon::Painter painter;
    return painter;
}

const QHash<QString, char16_t>& builtinTable() {
    static const QHash<QString, char16_t> table{
        {QStringLiteral("bellRinging"), 0xe7f7}, {QStringLiteral("bolt"), 0xea0b},
        {QStringLiteral("check"), 0xe5ca},       {QStringLiteral("checkCircle"), 0xe86c},
        {QStringLiteral("warning"), 0xe002},     {QStringLiteral("info"), 0xe88f},
        {QStringLiteral("sparkle"), 0xe65f},     {QStringLiteral("terminal"), 0xeb8e},
        {QStringLiteral("close"), 0xe5cd},
    };
    return table;
}

bool fontAvailable() {
    static const bool available = [] {
        if (QFontDatabase::hasFamily(fontFamily)) {
            return true;
        }
        if (QFontDatabase::addApplicationFont(fontFile) >= 0) {
            return true;
        }
        qCWarning(notchKitLog) << "The icon font" << fontFamily
                               << "is not installed; icons are drawn as placeholders";
        return false;
    }();
    return available;
}

void drawPlaceholder(QPainter& painter, const QString& name, const QRectF& box, QColor color) {
    static QSet<QString> reported;
    if (!reported.contains(name)) {
        reported.insert(name);
        qCWarning(notchKitLog) << "No glyph for the icon" << name;
    }
    const double side = std::min(box.width(), box.height()) * 0.8;
    const QRectF frame(box.center() - QPointF(side / 2, side / 2), QSizeF(side, side));
    painter.setPen(QPen(color, std::max(1.0, side * 0.1)));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(frame, side * 0.2, side * 0.2);
    QFont font = painter.font();
    font.setPixelSize(std::max(1, static_cast<int>(side * 0.7)));
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(frame, Qt::AlignCenter, QStringLiteral("?"));
}

}  // namespace

void NotchIcon::setPainter(Painter painter) {
    installedPainter() = std::move(painter);
}

std::optional<char16_t> NotchIcon::builtinGlyph(const QString& name) {
    const auto found = builtinTable().constFind(name);
    if (found == builtinTable().constEnd()) {
        return std::nullopt;
    }
    return *found;
}

void NotchIcon::draw(QPainter& painter, const QString& name, const QRectF& box, QColor color) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (const auto& host = installedPainter()) {
        host(painter, name, box, color);
        painter.restore();
        return;
    }
    const auto glyph = builtinGlyph(name);
    if (!glyph || !fontAvailable()) {
        drawPlaceholder(painter, name, box, color);
        painter.restore();
        return;
    }
    // Scaled to fit: the glyph's em square fills the smaller side of the box.
    QFont font(fontFamily);
    font.setStyleStrategy(QFont::NoFontMerging);
    font.setPixelSize(std::max(1, static_cast<int>(std::min(box.width(), box.height()))));
    const QString text{QChar(*glyph)};
    const QFontMetricsF metrics(font);
    const QPointF origin(box.center().x() - metrics.horizontalAdvance(text) / 2,
                         box.center().y() + (metrics.ascent() - metrics.descent()) / 2);
    QPainterPath path;
    path.addText(origin, font, text);
    painter.fillPath(path, color);
    painter.restore();
}

}  // namespace notchkit
