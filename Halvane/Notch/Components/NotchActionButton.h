#pragma once

#include <QAbstractButton>

#include <optional>

#include "Halvane/Notch/Components/KeyShortcut.h"
#include "Halvane/Notch/Components/NotchActionStyle.h"
#include "Halvane/Notch/Components/NotchButtonStyle.h"
#include "Halvane/Notch/Components/SoftShadow.h"

class QVariantAnimation;

namespace halvane {

class KeyHint;

// A prompt card's answer button: its word and, when it has a keyboard
// shortcut, a key-cap showing it. The shortcut presses the button while the
// notch window has the keyboard focus. Either way it is clicked().
class NotchActionButton final : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr QMarginsF kLabelPadding{10, 6, 10, 6};
    static constexpr qreal kSpacing = 6;

    NotchActionButton(QString label, NotchActionStyle style, std::optional<KeyShortcut> shortcut,
                      QWidget* parent = nullptr);

    const QString& label() const { return m_label; }
    NotchActionStyle style() const { return m_style; }
    NotchButtonStyle buttonStyle() const;
    KeyHint* keyHint() const { return m_keyHint; }
    // The tinted glow under a filled button, painted by the card it sits on.
    std::optional<SoftShadow> glow() const;
    // Stops answering its shortcut, for a card on its way out.
    void releaseShortcut();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRectF contentRect() const;

    QString m_label;
    NotchActionStyle m_style;
    std::optional<KeyShortcut> m_shortcut;
    KeyHint* m_keyHint = nullptr;
    QVariantAnimation* m_press;
};

}  // namespace halvane
