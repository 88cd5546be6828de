#pragma once

#include "AnimatedValue.h"
#include "NotchFormView.h"
#include "NotchShape.h"
#include "NotchViewMetrics.h"

namespace notchkit {

class NotchSlot;

// The notch form: a black surface continuing the hardware notch, with two
// compact wings beside it and the expanded card hanging below it.
class NotchView final : public NotchFormView {
    Q_OBJECT

public:
    NotchView(NotchPresenter* presenter, QWidget* home, QWidget* parent);

    static constexpr double safeAreaInset = NotchViewMetrics::safeAreaInset;

    double compactLeadingWidth() const { return m_compactLeadingWidth; }
    double compactTrailingWidth() const { return m_compactTrailingWidth; }
    // Geometry the view is heading for.
    NotchViewMetrics targetMetrics() const;
    // The surface outline the view draws right now.
    NotchShape currentShape() const;
    QRectF surfaceRect() const;
    QPainterPath surfacePath() const override;

    NotchSlot* compactLeadingSlot() const { return m_leading; }
    NotchSlot* compactTrailingSlot() const { return m_trailing; }
    NotchSlot* expandedSlot() const { return m_expanded; }

protected:
    void refresh(const std::optional<Animation>& animation) override;
    bool advance(double now) override;
    void relayout() override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void measureWings();
    void placeSlot(NotchSlot* slot, AnimatedValue& presence, const QRectF& frame);

    NotchSlot* m_leading;
    NotchSlot* m_trailing;
    NotchSlot* m_expanded;
    double m_compactLeadingWidth = 0;
    double m_compactTrailingWidth = 0;
    bool m_measurePending = false;

    AnimatedValue m_width;
    AnimatedValue m_height;
    AnimatedValue m_xOffset;
    AnimatedValue m_topRadius;
    AnimatedValue m_bottomRadius;
    AnimatedValue m_rowHeight;
    AnimatedValue m_leadingPresence{0, 0.001};
    AnimatedValue m_trailingPresence{0, 0.001};
    AnimatedValue m_expandedPresence{0, 0.001};
};

}  // namespace notchkit
