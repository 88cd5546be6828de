#include "Halvane/Theme/ClaudeMark.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>
#include <memory>

#include "Halvane/Platform/posix/Log.h"
#include "Halvane/Theme/IconGlyphs.h"

// The resources live in a static library: nothing else references them, so
// register them explicitly before the first lookup.
static void registerThemeResources() {
    Q_INIT_RESOURCE(ThemeResources);
}

namespace halvane {

namespace {

// Artwork as the resource provides it: vector when it is SVG, else a
// bitmap, else nothing.
struct Artwork {
    std::unique_ptr<QSvgRenderer> vector;
    QImage bitmap;

    bool isValid() const { return (vector && vector->isValid()) || !bitmap.isNull(); }
};

// Decided by content, so the SVG parser never complains about a bitmap.
bool looksLikeSvg(const QString& resource) {
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    return file.peek(1024).contains("<svg");
}

const Artwork& artwork(const QString& resource) {
    static const bool registered = (registerThemeResources(), true);
    Q_UNUSED(registered);
    static QHash<QString, std::shared_ptr<Artwork>> cache;
    if (const auto found = cache.constFind(resource); found != cache.constEnd()) {
        return **found;
    }
    auto loaded = std::make_shared<Artwork>();
    if (looksLikeSvg(resource)) {
        loaded->vector = std::make_unique<QSvgRenderer>(resource);
    } else if (QFile::exists(resource)) {
        loaded->bitmap = QImage(resource);
    }
    if (!loaded->isValid()) {
        log::error(("Halvane: image resource \"" + resource +
                    "\" is missing or unreadable; drawing the sparkle symbol instead")
                       .toStdString());
    }
    cache.insert(resource, loaded);
    return *loaded;
}

// Renders the artwork's shape into a bitmap of the device's pixel size and
// tints it: template rendering keeps only the coverage of each pixel.
QImage tinted(const Artwork& art, QSizeF size, qreal pixelRatio, const QColor& color) {
    const QSize pixels(std::max(1, static_cast<int>(std::ceil(size.width() * pixelRatio))),
                       std::max(1, static_cast<int>(std::ceil(size.height() * pixelRatio))));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF target(QPointF(0, 0), QSizeF(pixels));
    if (art.vector) {
        art.vector->render(&painter, target);
    } else {
        painter.drawImage(target, art.bitmap);
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(target, color);
    painter.end();
    image.setDevicePixelRatio(pixelRatio);
    return image;
}

}  // namespace

QString ClaudeMark::defaultResource() {
    return QStringLiteral(":/claude-logo");
}

ClaudeMark::ClaudeMark(const QColor& color, QWidget* parent, QString resource)
    : QWidget(parent), m_color(color), m_resource(std::move(resource)) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void ClaudeMark::setColor(const QColor& color) {
    if (color == m_color) {
        return;
    }
    m_color = color;
    update();
}

bool ClaudeMark::usesArtwork() const {
    return hasArtwork(m_resource);
}

QSize ClaudeMark::sizeHint() const {
    return QSize(16, 16);
}

bool ClaudeMark::hasArtwork(const QString& resource) {
    return artwork(resource).isValid();
}

void ClaudeMark::paint(QPainter& painter, const QRectF& rect, const QColor& color,
                       const QString& resource) {
    if (rect.isEmpty()) {
        return;
    }
    const Artwork& art = artwork(resource);
    if (!art.isValid()) {
        IconGlyphs::draw(painter, Icon::sparkle, rect, std::min(rect.width(), rect.height()),
                         QFont::Normal, color);
        return;
    }
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect, tinted(art, rect.size(), ratio, color));
    painter.restore();
}

void ClaudeMark::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter, QRectF(rect()), m_color, m_resource);
}

}  // namespace halvane
