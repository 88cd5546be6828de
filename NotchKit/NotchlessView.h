#pragma once

#include "AnimatedValue.h"
#include "NotchFormView.h"
#include "NotchlessMetrics.h"

namespace notchkit {

class NotchSlot;
class VisualEffectView;

// The floating form for screens without a notch: a rounded card that hangs
// below the menu bar while expanded and is pushed out above the top edge
// otherwise. It has no compact form.
class NotchlessView final : public NotchFormView {
    Q_OBJECT

public:
    NotchlessView(NotchPresenter* presenter, QWidget* home, QWidget* parent);

    static constexpr double safeAreaInset = NotchlessMetrics::safeAreaInset;

    // The frame's measured height (card plus padding).
    double windowHeight() const { return m_windowHeight; }
    NotchlessMetrics targetMetrics() const;
    QRectF cardRect() const;
    QPainterPath surfacePath() const override;
    NotchSlot* expandedSlot() const { return m_expanded; }

protected:
    void refresh(const std::optional<Animation>& animation) override;
    bool advance(double now) override;
    void relayout() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    VisualEffectView* m_background;
    NotchSlot* m_expanded;
    double m_windowHeight = 0;
    bool m_measurePending = false;

    AnimatedValue m_cardWidth;
    AnimatedValue m_cardHeight;
    AnimatedValue m_yOffset;
    AnimatedValue m_presence{0, 0.001};
};

}  // namespace notchkit
