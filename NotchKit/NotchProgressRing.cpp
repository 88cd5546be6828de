#include "NotchProgressRing.h"

#include <QConicalGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

#include "NotchEnvironment.h"

namespace notchkit {

namespace {
// The first fill: a quick start that eases into place, after a beat.
const Animation loadAnimation = Animation::timingCurve(0, 0.55, 0.45, 1.0, 0.8).delayed(0.1);
const Animation followAnimation = Animation::easeOut(0.25);
}  // namespace

NotchProgressRing::NotchProgressRing(std::shared_ptr<NotchBinding> target,
                                     std::optional<QColor> color, QWidget* parent)
    : QWidget(parent), m_target(std::move(target)), m_color(color) {
    setAttribute(Qt::WA_TranslucentBackground);
    connect(&m_driver, &AnimationDriver::tick, this, &NotchProgressRing::onTick);
    connect(m_target.get(), &NotchBinding::valueChanged, this, [this](double value) {
        if (!m_isLoaded) {
            return;
        }
        m_fraction.setTarget(std::clamp(value, 0.0, 1.0), followAnimation, m_driver.now());
        m_driver.start();
    });
}

double NotchProgressRing::thickness() const {
    return NotchEnvironment::notchSection(this) == NotchSection::expanded ? 4 : 3;
}

QColor NotchProgressRing::color() const {
    if (m_color) {
        return *m_color;
    }
    return NotchEnvironment::notchStyle(this).isNotch() ? QColor(Qt::white)
                                                        : palette().color(QPalette::WindowText);
}

double NotchProgressRing::displayedFraction() const {
    return m_fraction.value();
}

void NotchProgressRing::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_isLoaded) {
        return;
    }
    m_isLoaded = true;
    m_fraction.setTarget(std::clamp(m_target->value(), 0.0, 1.0), loadAnimation, m_driver.now());
    m_driver.start();
}

void NotchProgressRing::onTick(double now) {
    if (!m_fraction.advance(now)) {
        m_driver.stop();
    }
    update();
}

void NotchProgressRing::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double line = thickness();
    const double side = std::min(width(), height()) - line;
    if (side <= 0) {
        return;
    }
    const QRectF circle(QPointF(width() / 2.0 - side / 2, height() / 2.0 - side / 2),
                        QSizeF(side, side));
    // The track in the tertiary style: the foreground at low opacity.
    QColor track = palette().color(QPalette::WindowText);
    track.setAlphaF(0.25);
    painter.setPen(QPen(track, line));
    painter.drawEllipse(circle);

    const double fraction = std::clamp(m_fraction.value(), 0.0, 1.0);
    if (fraction <= 0) {
        return;
    }
    // The colour's gradient, starting at the top and running clockwise.
    QConicalGradient gradient(circle.center(), 90);
    // Qt's conical gradient runs counter-clockwise, so the light end is at 1.
    const QColor ink = color();
    gradient.setColorAt(0, ink);
    gradient.setColorAt(1, ink.lighter(140));
    QPen pen(QBrush(gradient), line, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(pen);
    painter.drawArc(circle, 90 * 16, -static_cast<int>(fraction * 360 * 16));
}

}  // namespace notchkit
