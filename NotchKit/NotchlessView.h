#pragma once

#include "AnimatedValue.h"
#include "NotchFormView.h"
#include "NotchlessMetrics.h"

namespace notchkit {

class NotchSlot;
class CardBackdrop;

// The floating form for screens without a notch: a rounded card that hangs
// below the top of the work area while expanded, a pill holding both wings
// while compact, and pushed out above the top edge otherwise. The card morphs
// between the two.
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
    void setCompositing(bool compositing) override;
    NotchSlot* expandedSlot() const { return m_expanded; }
    NotchSlot* compactLeadingSlot() const { return m_leading; }
    NotchSlot* compactTrailingSlot() const { return m_trailing; }
    CardBackdrop* background() const { return m_background; }

protected:
    void refresh(const std::optional<Animation>& animation) override;
    bool advance(double now) override;
    void relayout() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QSizeF wingsSize() const;
    double wingWidth(const NotchSlot* slot, bool disabled) const;
    void placeSlot(NotchSlot* slot, const AnimatedValue& presence, const QRect& frame);

    CardBackdrop* m_background;
    NotchSlot* m_expanded;
    NotchSlot* m_leading;
    NotchSlot* m_trailing;
    double m_windowHeight = 0;
    bool m_measurePending = false;

    AnimatedValue m_cardWidth;
    AnimatedValue m_cardHeight;
    AnimatedValue m_yOffset;
    AnimatedValue m_cornerRadius{20};
    AnimatedValue m_presence{0, 0.001};
    AnimatedValue m_wingsPresence{0, 0.001};
};

}  // namespace notchkit
