#include "Halvane/App/Shell/ConfettiView.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Halvane/Theme/NotchPalette.h"

namespace halvane {

namespace {

constexpr int kFrameMilliseconds = 16;
constexpr qreal kGravity = 320;  // points per second squared
// How fast air slows a piece down, per second.
constexpr qreal kDrag = 1.6;

}  // namespace

ConfettiView::ConfettiView(int particleCount, std::chrono::milliseconds duration,
                           std::vector<QColor> palette, QWidget* parent)
    : QWidget(parent),
      m_particleCount(particleCount),
      m_duration(duration),
      m_palette(std::move(palette)),
      m_frames(new QTimer(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    if (m_palette.empty()) {
        m_palette = celebrationPalette();
    }
    m_frames->setInterval(kFrameMilliseconds);
    connect(m_frames, &QTimer::timeout, this, &ConfettiView::tick);
}

std::vector<QColor> ConfettiView::celebrationPalette() {
    return {NotchPalette::accent(), NotchPalette::systemGreen(), QColor(255, 214, 10),
            QColor(100, 210, 255),  QColor(255, 105, 180),       Qt::white};
}

void ConfettiView::setTrigger(int trigger) {
    if (trigger == m_trigger) {
        return;
    }
    m_trigger = trigger;
    // Each burst scatters differently, but the same burst always looks the same.
    QRandomGenerator random(static_cast<quint32>(trigger) * 7919u + 17u);
    const qreal centre = width() / 2.0;
    m_pieces.clear();
    for (int index = 0; index < m_particleCount; ++index) {
        const qreal angle = (-90 + random.bounded(140.0) - 70) * std::numbers::pi / 180;
        const qreal speed = 380 + random.bounded(420.0);
        m_pieces.push_back(Piece{
            QPointF(centre + random.bounded(120.0) - 60, height() * 0.22),
            QPointF(std::cos(angle) * speed, std::sin(angle) * speed),
            random.bounded(720.0) - 360,
            5 + random.bounded(5.0),
            m_palette[static_cast<std::size_t>(random.bounded(static_cast<int>(m_palette.size())))],
        });
    }
    m_burstAt.start();
    m_frames->start();
    raise();
    update();
    emit triggerChanged(m_trigger);
}

bool ConfettiView::animating() const {
    return m_frames->isActive();
}

void ConfettiView::tick() {
    if (!m_burstAt.isValid() || m_burstAt.elapsed() >= m_duration.count()) {
        m_frames->stop();
        m_pieces.clear();
    }
    update();
}

void ConfettiView::paintEvent(QPaintEvent*) {
    if (m_pieces.empty() || !m_burstAt.isValid()) {
        return;
    }
    const qreal seconds = static_cast<qreal>(m_burstAt.elapsed()) / 1000.0;
    const qreal total = static_cast<qreal>(m_duration.count()) / 1000.0;
    if (seconds >= total) {
        return;
    }
    // Full colour for most of the fall, fading over the last third.
    const qreal fade = std::clamp((total - seconds) / (total / 3), 0.0, 1.0);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (const Piece& piece : m_pieces) {
        // Drag slows the throw so the pieces flutter rather than fly off.
        const qreal travelled = (1 - std::exp(-kDrag * seconds)) / kDrag;
        const QPointF position(
            piece.origin.x() + piece.velocity.x() * travelled,
            piece.origin.y() + piece.velocity.y() * travelled + 0.5 * kGravity * seconds * seconds);
        painter.save();
        painter.translate(position);
        painter.rotate(piece.spin * seconds);
        QColor color = piece.color;
        color.setAlphaF(static_cast<float>(fade));
        painter.setBrush(color);
        painter.drawRect(QRectF(-piece.size / 2, -piece.size / 4, piece.size, piece.size / 2));
        painter.restore();
    }
}

}  // namespace halvane
