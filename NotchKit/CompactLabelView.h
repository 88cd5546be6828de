#pragma once

#include <QImage>
#include <QWidget>

#include <optional>

#include "AnimatedValue.h"
#include "AnimationDriver.h"
#include "NotchInfoLabel.h"

namespace notchkit {

class NotchInfo;
class NotchInfoLabelView;

// A wing of a NotchInfo: one label that pops in and out (fade, scale from 0.8
// about its centre, blur) when the label changes. The wing itself already
// draws through a transition effect, so the label's own transition is
// painted here from pictures of the labels rather than by a nested effect.
class CompactLabelView : public QWidget {
    Q_OBJECT

public:
    NotchInfoLabelView* labelView() const { return m_current; }
    bool isAnimating() const { return m_driver.isRunning(); }
    QSize sizeHint() const override;

protected:
    CompactLabelView(NotchInfo* info, QWidget* parent);
    // The label this wing shows now, if any.
    virtual std::optional<NotchInfoLabel> currentLabel() const = 0;
    // Call once the subclass is complete.
    void refresh();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    NotchInfo* info() const { return m_info; }

private:
    QRect labelFrame(QSize hint) const;
    static QImage picture(QWidget* label);
    void onTick(double now);

    NotchInfo* m_info;
    std::optional<quint64> m_labelId;
    NotchInfoLabelView* m_current = nullptr;
    QImage m_entering;
    QImage m_leaving;
    QRect m_leavingFrame;
    AnimationDriver m_driver;
    AnimatedValue m_enteringPresence{1, 0.001};
    AnimatedValue m_leavingPresence{0, 0.001};
};

}  // namespace notchkit
