#pragma once

#include <QPointer>
#include <QWidget>

#include <vector>

#include "Halvane/Notch/Components/SoftShadow.h"

namespace halvane {

// The padded inside of a notch card. Besides holding the card's layout it
// paints the glows of the badge and buttons on it, which spill past their
// own frames into the card's padding.
class CardContent final : public QWidget {
    Q_OBJECT

public:
    explicit CardContent(QWidget* parent = nullptr);

    // Paints `shadow` under `target`, a rounded rectangle of `cornerRadius`,
    // while the target is shown.
    void addGlow(QWidget* target, SoftShadow shadow, qreal cornerRadius);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Glow {
        QPointer<QWidget> target;
        SoftShadow shadow;
        qreal cornerRadius;
    };
    std::vector<Glow> m_glows;
};

}  // namespace halvane
