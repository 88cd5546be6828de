#pragma once

// How long a widget takes to paint one frame, the way grab() paints it.
#include <QElapsedTimer>
#include <QPixmap>
#include <QRegion>
#include <QWidget>

namespace halvane::bench {

// Milliseconds per frame of `widget` painted into an offscreen pixmap of its
// size: the mean of `frames` paints after `warmUp` untimed ones.
inline double millisecondsPerFrame(QWidget* widget, int frames = 300, int warmUp = 20) {
    QPixmap frame(widget->size());
    const auto paint = [&] {
        frame.fill(Qt::transparent);
        widget->render(&frame, QPoint(), QRegion(widget->rect()),
                       QWidget::DrawWindowBackground | QWidget::DrawChildren);
    };
    for (int i = 0; i < warmUp; ++i) {
        paint();
    }
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < frames; ++i) {
        paint();
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e6 / frames;
}

}  // namespace halvane::bench
