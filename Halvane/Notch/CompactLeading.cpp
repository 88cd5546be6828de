#include "CompactLeading.h"

#include <QEasingCurve>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Halvane/Notch/Components/NumericText.h"
#include "Halvane/Sessions/SessionStore.h"
#include "Halvane/Theme/ClaudeMark.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "NotchKit/ImageBlur.h"

namespace halvane {

namespace {

constexpr qreal kPadding = 8;
constexpr qreal kSpacing = 6;
constexpr qreal kRingFill = 0.28;
constexpr qreal kRingRestOpacity = 0.8;
constexpr qreal kRingGrowth = 0.6;
constexpr qreal kGlowOpacity = 0.9;
constexpr qreal kGlowRadius = 3;
constexpr double kTilt = std::numbers::pi / 8;
const notchkit::Animation kTiltSpring = notchkit::Animation::spring(0.5, 1.0);
const notchkit::Animation kCountSpring = notchkit::Animation::spring(0.35, 1.0);

}  // namespace

CompactLeading::CompactLeading(SessionStore& sessions, QWidget* parent)
    : QWidget(parent),
      m_sessions(sessions),
      m_count(new NumericText(static_cast<long long>(sessions.sessions().size()),
                              NotchFonts::system(12, QFont::Bold), Qt::white, kCountSpring, this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    setCursor(Qt::PointingHandCursor);
    connect(&m_sessions, &SessionStore::changed, this, &CompactLeading::sync);
    connect(&m_driver, &notchkit::AnimationDriver::tick, this, &CompactLeading::onTick);
    m_rotation.reset(m_sessions.pending().empty() ? 0 : kTilt);
}

QColor CompactLeading::accent() const {
    if (!m_sessions.pending().empty()) {
        return NotchPalette::systemOrange();
    }
    if (!m_sessions.justFinished().empty()) {
        return NotchPalette::systemGreen();
    }
    return QColor::fromRgbF(0.95f, 0.55f, 0.3f, 1.0f);
}

qreal CompactLeading::ringScaleAt(qreal progress) {
    return 1 + kRingGrowth * progress;
}

qreal CompactLeading::ringOpacityAt(qreal progress) {
    return kRingRestOpacity * (1 - progress);
}

void CompactLeading::sync() {
    m_count->setValue(static_cast<long long>(m_sessions.sessions().size()));
    const double tilt = m_sessions.pending().empty() ? 0 : kTilt;
    if (isVisible()) {
        m_rotation.setTarget(tilt, kTiltSpring, m_driver.now());
    } else {
        m_rotation.reset(tilt);
    }
    updateGeometry();
    update();
}

void CompactLeading::onTick(double now) {
    m_rotation.advance(now);
    update();
}

QSize CompactLeading::sizeHint() const {
    const QSize count = m_count->sizeHint();
    const qreal width = kPadding + kMarkSlot + kSpacing + count.width() + kPadding;
    return QSize(static_cast<int>(std::ceil(width)),
                 static_cast<int>(std::ceil(std::max<qreal>(kMarkSlot, count.height()))));
}

QRectF CompactLeading::markSlot() const {
    return QRectF(kPadding, (height() - kMarkSlot) / 2, kMarkSlot, kMarkSlot);
}

void CompactLeading::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize count = m_count->sizeHint();
    m_count->setGeometry(static_cast<int>(kPadding + kMarkSlot + kSpacing),
                         (height() - count.height()) / 2, count.width(), count.height());
}

const QImage& CompactLeading::glowFor(const QColor& color) {
    if (color == m_glowColor && !m_glow.isNull()) {
        return m_glow;
    }
    // The mark's own shape, blurred, in its colour: a soft halo.
    const qreal ratio = devicePixelRatioF();
    const qreal margin = 3 * kGlowRadius;
    const qreal side = kMarkSize + 2 * margin;
    QImage glow(
        QSize(static_cast<int>(std::ceil(side * ratio)), static_cast<int>(std::ceil(side * ratio))),
        QImage::Format_ARGB32_Premultiplied);
    glow.setDevicePixelRatio(ratio);
    glow.fill(Qt::transparent);
    {
        QPainter painter(&glow);
        painter.setRenderHint(QPainter::Antialiasing);
        ClaudeMark::paint(painter, QRectF(margin, margin, kMarkSize, kMarkSize),
                          NotchPalette::withOpacity(color, kGlowOpacity));
    }
    notchkit::ImageBlur::blur(glow, kGlowRadius * ratio);
    m_glowColor = color;
    m_glow = glow;
    return m_glow;
}

void CompactLeading::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QColor tint = accent();
    const QRectF slot = markSlot();
    const QPointF centre = slot.center();

    qreal progress = 0;
    if (m_pulse) {
        const double period = std::chrono::duration<double>(kPulsePeriod).count();
        const double cycle = std::fmod(m_driver.now() - m_pulseStart, period) / period;
        progress = QEasingCurve(QEasingCurve::OutQuad).valueForProgress(cycle);
    }
    const qreal ring = kMarkSlot / 2 * ringScaleAt(progress);
    painter.setPen(Qt::NoPen);
    painter.setBrush(NotchPalette::withOpacity(tint, kRingFill));
    painter.setOpacity(ringOpacityAt(progress));
    painter.drawEllipse(centre, ring, ring);
    painter.setOpacity(1);

    painter.translate(centre);
    painter.rotate(m_rotation.value() * 180 / std::numbers::pi);
    painter.translate(-centre);
    const QImage& glow = glowFor(tint);
    const QSizeF glowSize = QSizeF(glow.size()) / glow.devicePixelRatio();
    painter.drawImage(
        QRectF(centre - QPointF(glowSize.width() / 2, glowSize.height() / 2), glowSize), glow);
    ClaudeMark::paint(
        painter,
        QRectF(centre - QPointF(kMarkSize / 2, kMarkSize / 2), QSizeF(kMarkSize, kMarkSize)), tint);
}

void CompactLeading::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_pulse) {
        m_pulse = true;
        m_pulseStart = m_driver.now();
    }
    m_driver.start();
}

void CompactLeading::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_driver.stop();
    m_rotation.reset(m_rotation.target());
}

void CompactLeading::mousePressEvent(QMouseEvent* event) {
    event->setAccepted(event->button() == Qt::LeftButton);
}

void CompactLeading::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit tapped();
    }
}

}  // namespace halvane
