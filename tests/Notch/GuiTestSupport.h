#pragma once

#include <QtCore/qtestsupport_core.h>
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QLayout>
#include <QPalette>
#include <QWidget>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>

#include "QtTestEnvironment.h"

namespace halvane::test {

// The widget application the views need, made once per test binary and never
// destroyed. Renders offscreen unless the environment asks for a display.
inline QApplication& guiApplication() {
    static QApplication* application = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "halvane-notch-tests";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *application;
}

// An opaque backdrop of a known colour, so translucent layers can be checked
// by what they make of it.
inline const QColor& stageColor() {
    static const QColor color(60, 90, 120);
    return color;
}

inline std::unique_ptr<QWidget> makeStage(int width, int height) {
    guiApplication();
    auto stage = std::make_unique<QWidget>();
    QPalette palette = stage->palette();
    palette.setColor(QPalette::Window, stageColor());
    stage->setPalette(palette);
    stage->setAutoFillBackground(true);
    stage->resize(width, height);
    return stage;
}

// What a person would see of `widget`, at one pixel per point. When
// HALVANE_TEST_RENDERS names a folder the picture is also kept there as
// `<name>.png` for a look by eye.
inline QImage render(QWidget& widget, const QString& name) {
    widget.ensurePolished();
    if (auto* layout = widget.layout()) {
        layout->activate();
    }
    QImage image = widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    if (const char* folder = std::getenv("HALVANE_TEST_RENDERS")) {
        QDir().mkpath(QString::fromLocal8Bit(folder));
        image.save(QDir(QString::fromLocal8Bit(folder)).filePath(name + ".png"));
    }
    return image;
}

// `layer` drawn over the opaque `below`.
inline QColor over(const QColor& layer, const QColor& below) {
    const auto blend = [a = layer.alphaF()](float top, float bottom) {
        return top * a + bottom * (1 - a);
    };
    return QColor::fromRgbF(blend(layer.redF(), below.redF()),
                            blend(layer.greenF(), below.greenF()),
                            blend(layer.blueF(), below.blueF()), 1.0f);
}

// Whether two opaque colours differ by at most `tolerance` in every channel
// (0–255): room for antialiasing and rounding, not for a wrong colour.
inline bool near(const QColor& actual, const QColor& expected, int tolerance = 3) {
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance;
}

inline std::string describe(const QColor& color) {
    return color.name(QColor::HexRgb).toStdString();
}

// How many pixels of `image` inside `area` satisfy `test`.
inline int countPixels(const QImage& image, const QRect& area,
                       const std::function<bool(const QColor&)>& test) {
    int count = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if (test(image.pixelColor(x, y))) {
                ++count;
            }
        }
    }
    return count;
}

}  // namespace halvane::test
