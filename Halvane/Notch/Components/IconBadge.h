#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>

#include "Halvane/Theme/ClaudeMark.h"

class QPainter;

namespace halvane {

// The orange badge that carries the application mark: an accent-filled
// rounded square with a soft accent glow and the mark in white on it.
class IconBadge final : public QWidget {
    Q_OBJECT

public:
    // Where everything goes in a badge of `size` points with corner radius
    // `corner`, relative to the badge's own frame.
    struct Geometry {
        QRectF badge;
        qreal corner = 0;
        qreal shadowRadius = 0;
        QPointF shadowOffset;
        qreal shadowOpacity = 0;
        QRectF mark;
    };
    static Geometry geometryFor(qreal size, qreal corner);

    IconBadge(qreal size, qreal corner, QWidget* parent = nullptr,
              QString markResource = ClaudeMark::defaultResource());

    qreal corner() const { return m_corner; }
    Geometry badgeGeometry() const { return geometryFor(m_size, m_corner); }
    bool usesArtwork() const { return ClaudeMark::hasArtwork(m_markResource); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_size;
    qreal m_corner;
    QString m_markResource;
};

}  // namespace halvane
