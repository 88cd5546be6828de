#pragma once

#include <QWidget>

#include "NotchInfoLabel.h"

namespace notchkit {

class NotchProgressRing;

// Draws one NotchInfoLabel where it is placed, adapting to the slot's style
// and section: white symbols on the notch, the palette's text colour on the
// floating card.
class NotchInfoLabelView final : public QWidget {
    Q_OBJECT

public:
    explicit NotchInfoLabelView(NotchInfoLabel label, QWidget* parent = nullptr);

    const NotchInfoLabel& label() const { return m_label; }
    NotchProgressRing* progressRing() const { return m_ring; }
    // The colour a symbol or ring is drawn in here.
    QColor foreground() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    double padding() const;

    NotchInfoLabel m_label;
    NotchProgressRing* m_ring = nullptr;
    QWidget* m_child = nullptr;
};

}  // namespace notchkit
