#pragma once

#include <QAbstractButton>

class QVariantAnimation;

namespace halvane {

// The button of every onboarding step, also used by the settings window: a
// rounded label, accent-filled when primary, a faint glass when secondary,
// dimmed while disabled (when it also says "Disabled" as a tooltip). It grows
// a little while the pointer is over it.
class OnboardingButton final : public QAbstractButton {
    Q_OBJECT

public:
    enum class Style { primary, secondary };

    static constexpr qreal kHoverScale = 1.025;
    static constexpr int kHoverMilliseconds = 160;

    OnboardingButton(const QString& label, Style style, QWidget* parent = nullptr);

    Style style() const { return m_style; }
    void setStyle(Style style);
    void setLabel(const QString& label);
    void setDisabled(bool disabled);

    // The current scale, 1 at rest and kHoverScale while hovered.
    qreal scale() const { return m_scale; }
    bool hovering() const { return m_hovering; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The fill and text colours for a style and state.
    static QColor fillColor(Style style, bool enabled);
    static QColor textColor(Style style, bool enabled);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void animateScale(qreal to);

    Style m_style;
    bool m_hovering = false;
    qreal m_scale = 1;
    QVariantAnimation* m_animation;
};

}  // namespace halvane
