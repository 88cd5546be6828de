#pragma once

#include <QWidget>

#include "Halvane/App/HalvaneLogoStyle.h"

class QPainter;

namespace halvane {

// Halvane's logo: a screen with a notch hanging from its top edge and a
// small mark below it, drawn on a 24 × 24 design grid scaled to `size`.
class HalvaneLogo final : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal designGrid = 24;

    HalvaneLogo(qreal size, HalvaneLogoStyle style, QWidget* parent = nullptr);

    qreal size() const { return m_size; }
    HalvaneLogoStyle style() const { return m_style; }

    // Draws the logo filling the square `rect`.
    static void paint(QPainter& painter, const QRectF& rect, HalvaneLogoStyle style);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_size;
    HalvaneLogoStyle m_style;
};

}  // namespace halvane
