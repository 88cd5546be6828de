#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

#include "Halvane/Theme/Icon.h"

namespace halvane {

// One symbol drawn at a point size in a colour, as a widget for layouts.
class IconView final : public QWidget {
    Q_OBJECT

public:
    IconView(Icon name, qreal pointSize, const QColor& color, QWidget* parent = nullptr,
             QFont::Weight weight = QFont::DemiBold);

    Icon name() const { return m_name; }
    void setColor(const QColor& color);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Icon m_name;
    qreal m_pointSize;
    QColor m_color;
    QFont::Weight m_weight;
};

}  // namespace halvane
