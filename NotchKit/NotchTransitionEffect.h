#pragma once

#include <QGraphicsEffect>
#include <QPainterPath>

#include <optional>

#include "NotchTransition.h"

namespace notchkit {

// Draws a widget part-way through its insertion or removal transition, clipped
// to the surface it sits on. At full presence without a clip the widget paints
// itself directly, so steady content costs nothing extra.
class NotchTransitionEffect final : public QGraphicsEffect {
    Q_OBJECT

public:
    explicit NotchTransitionEffect(NotchTransition transition, QObject* parent = nullptr);

    double presence() const { return m_presence; }
    void setPresence(double presence);
    // In the widget's own coordinates; nothing = no clipping.
    void setClipPath(std::optional<QPainterPath> clip);

    QRectF boundingRectFor(const QRectF& sourceRect) const override;

protected:
    void draw(QPainter* painter) override;

private:
    void updateEnabled();

    NotchTransition m_transition;
    double m_presence = 1;
    std::optional<QPainterPath> m_clip;
};

}  // namespace notchkit
