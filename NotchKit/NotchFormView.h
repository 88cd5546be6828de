#pragma once

#include <QPainterPath>
#include <QWidget>

#include <optional>

#include "Animation.h"
#include "AnimationDriver.h"

namespace notchkit {

class NotchPresenter;

// The part of the content view that draws the notch or the floating card. It
// fills the panel and paints its surface somewhere inside; the root view
// shadows that surface and the panel takes input only there.
class NotchFormView : public QWidget {
    Q_OBJECT

public:
    // The visible surface, in this widget's coordinates.
    virtual QPainterPath surfacePath() const = 0;
    bool isAnimating() const { return m_driver.isRunning(); }
    // Whether translucent pixels show the desktop below (a compositor runs).
    virtual void setCompositing(bool) {}

signals:
    // The surface moved, resized or changed its outline.
    void surfaceChanged();

protected:
    NotchFormView(NotchPresenter* presenter, QWidget* parent);

    // Recomputes targets from the presenter with `animation` (none = jump).
    virtual void refresh(const std::optional<Animation>& animation) = 0;
    // Advances every animated value to `now`; true while any still moves.
    virtual bool advance(double now) = 0;
    // Places children for the current animated values.
    virtual void relayout() = 0;

    void refreshWithTransaction();
    void refreshWithHoverSpring();
    void animate();

    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

    NotchPresenter* presenter() const { return m_presenter; }
    double now() const { return m_driver.now(); }

private:
    void onTick(double now);

    NotchPresenter* m_presenter;
    AnimationDriver m_driver;
};

}  // namespace notchkit
