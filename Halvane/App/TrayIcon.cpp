#include "Halvane/App/TrayIcon.h"

#include <QPainter>
#include <QPixmap>

#include "Halvane/App/HalvaneLogo.h"
#include "Halvane/Theme/IconGlyphs.h"

namespace halvane::TrayIcon {

namespace {

constexpr int kPixels = static_cast<int>(pointSize * renderScale);

// The template's shape filled with `color`.
QImage tinted(const QImage& mask, const QColor& color) {
    QImage result(mask.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.drawImage(0, 0, mask);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(result.rect(), color);
    return result;
}

QImage forPanels(const QImage& mask) {
    const QImage edge = tinted(mask, QColor(0, 0, 0, 90));
    const QImage shape = tinted(mask, Qt::white);
    QImage result(mask.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    for (const QPoint offset : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)}) {
        painter.drawImage(offset, edge);
    }
    painter.drawImage(0, 0, shape);
    painter.end();
    result.setDevicePixelRatio(renderScale);
    return result;
}

QIcon sparkle() {
    QImage image(kPixels, kPixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(renderScale, renderScale);
    IconGlyphs::draw(painter, Icon::sparkle, QRectF(0, 0, pointSize, pointSize), logoSize,
                     QFont::Normal, Qt::white);
    painter.end();
    image.setDevicePixelRatio(renderScale);
    return QIcon(QPixmap::fromImage(image));
}

}  // namespace

std::optional<QImage> render() {
    QImage image(kPixels, kPixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return std::nullopt;
    }
    image.fill(Qt::transparent);
    QPainter painter(&image);
    if (!painter.isActive()) {
        return std::nullopt;
    }
    painter.scale(renderScale, renderScale);
    const qreal inset = (pointSize - logoSize) / 2;
    HalvaneLogo::paint(painter, QRectF(inset, inset, logoSize, logoSize),
                       HalvaneLogoStyle::templateImage);
    painter.end();
    image.setDevicePixelRatio(renderScale);
    return image;
}

const std::optional<QImage>& cached() {
    static const std::optional<QImage> image = render();
    return image;
}

QIcon trayIcon() {
    const auto& image = cached();
    if (!image) {
        return sparkle();
    }
    QIcon icon(QPixmap::fromImage(forPanels(*image)));
    return icon;
}

}  // namespace halvane::TrayIcon
