#include "Halvane/Notch/Components/IconBadge.h"

#include <QGraphicsDropShadowEffect>
#include <QPainter>

#include <cmath>

#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

namespace {

constexpr qreal kShadowRadiusPerSize = 0.4;
constexpr qreal kShadowOpacity = 0.45;
constexpr QPointF kShadowOffset(0, 1);
constexpr qreal kMarkPerSize = 0.55;

}  // namespace

IconBadge::Geometry IconBadge::geometryFor(qreal size, qreal corner) {
    Geometry result;
    result.badge = QRectF(0, 0, size, size);
    result.corner = corner;
    result.shadowRadius = kShadowRadiusPerSize * size;
    result.shadowOffset = kShadowOffset;
    result.shadowOpacity = kShadowOpacity;
    const qreal mark = kMarkPerSize * size;
    result.mark = QRectF((size - mark) / 2, (size - mark) / 2, mark, mark);
    return result;
}

IconBadge::IconBadge(qreal size, qreal corner, QWidget* parent, QString markResource)
    : QWidget(parent), m_size(size), m_corner(corner), m_markResource(std::move(markResource)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // The glow spills past the badge's frame, as a shadow should; a graphics
    // effect is drawn by the parent and so is not clipped to this widget.
    const Geometry layout = badgeGeometry();
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(NotchPalette::withOpacity(NotchPalette::accent(), layout.shadowOpacity));
    shadow->setBlurRadius(layout.shadowRadius);
    shadow->setOffset(layout.shadowOffset);
    setGraphicsEffect(shadow);
}

QSize IconBadge::sizeHint() const {
    const int side = static_cast<int>(std::ceil(m_size));
    return QSize(side, side);
}

void IconBadge::paintEvent(QPaintEvent*) {
    const Geometry layout = badgeGeometry();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    NotchShapes::fillRoundedRect(painter, layout.badge, layout.corner, NotchPalette::accent());
    ClaudeMark::paint(painter, layout.mark, Qt::white, m_markResource);
}

}  // namespace halvane
