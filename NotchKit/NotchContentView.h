#pragma once

#include <QImage>
#include <QPainterPath>
#include <QWidget>

#include "AnimatedValue.h"
#include "AnimationDriver.h"
#include "NotchShadow.h"
#include "NotchStyle.h"

namespace notchkit {

class NotchFormView;
class NotchPresenter;

// The root of the panel: the notch form or the floating form, hanging from
// the top edge, with a black shadow round its surface.
class NotchContentView final : public QWidget {
    Q_OBJECT

public:
    // `home` takes the caller's content back when the view goes away.
    NotchContentView(NotchPresenter* presenter, NotchStyle style, QWidget* home,
                     QWidget* parent = nullptr);

    NotchStyle style() const { return m_style; }
    NotchFormView* formView() const { return m_form; }
    // What the shadow is heading for, and what it draws right now.
    NotchShadow targetShadow() const;
    NotchShadow currentShadow() const;
    // The visible surface in this view's coordinates.
    QPainterPath surfacePath() const;
    bool isAnimating() const;
    // Without a compositor nothing outside the surface is drawn: no shadow,
    // and the floating card turns opaque.
    bool isCompositing() const { return m_compositing; }
    void setCompositing(bool compositing);

signals:
    void surfaceChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void refreshShadow(const std::optional<Animation>& animation);
    void onTick(double now);

    NotchPresenter* m_presenter;
    NotchStyle m_style;
    NotchFormView* m_form;
    AnimationDriver m_driver;
    AnimatedValue m_shadowOpacity{0, 0.001};
    AnimatedValue m_shadowRadius{0, 0.01};
    // The blurred surface, kept while neither the outline nor the radius moves.
    QImage m_shadowImage;
    QPainterPath m_shadowPath;
    double m_shadowImageRadius = -1;
    QPointF m_shadowOrigin;
    bool m_compositing = true;
};

}  // namespace notchkit
