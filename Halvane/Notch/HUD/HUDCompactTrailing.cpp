#include "Halvane/Notch/HUD/HUDCompactTrailing.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "Halvane/Monitors/BrightnessMonitor.h"
#include "Halvane/Monitors/HUDReadout.h"
#include "Halvane/Monitors/HUDState.h"
#include "Halvane/Monitors/SegmentedBarGeometry.h"
#include "Halvane/Monitors/VolumeMonitor.h"
#include "Halvane/Notch/HUD/HUDCompactLeading.h"
#include "Halvane/Notch/HUD/SegmentedBar.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"

namespace halvane {

namespace {

constexpr double kBarDuration = 0.18;
const notchkit::Animation& labelSpring() {
    static const notchkit::Animation spring = notchkit::Animation::spring(0.3, 1.0);
    return spring;
}

// Every digit takes the advance of the widest one, so a changing number
// does not shift the digits around it.
qreal advanceOf(const QFontMetricsF& metrics, QChar character) {
    if (!character.isDigit()) {
        return metrics.horizontalAdvance(character);
    }
    qreal widest = 0;
    for (char digit = '0'; digit <= '9'; ++digit) {
        widest = std::max(widest, metrics.horizontalAdvance(QChar(digit)));
    }
    return widest;
}

// The left edge of each character of `text` set centred in `box`.
std::vector<qreal> characterPositions(const QFontMetricsF& metrics, const QString& text,
                                      const QRectF& box) {
    qreal total = 0;
    for (const QChar character : text) {
        total += advanceOf(metrics, character);
    }
    std::vector<qreal> positions;
    qreal x = box.left() + (box.width() - total) / 2;
    for (const QChar character : text) {
        positions.push_back(x);
        x += advanceOf(metrics, character);
    }
    return positions;
}

}  // namespace

HUDCompactTrailing::HUDCompactTrailing(HUDState& hud, VolumeMonitor& volume,
                                       BrightnessMonitor& brightness, QWidget* parent)
    : QWidget(parent),
      m_hud(hud),
      m_volume(volume),
      m_brightness(brightness),
      m_bar(new SegmentedBar(barValue(), SegmentedBarGeometry::hudSegmentCount, tint(),
                             SegmentedBarGeometry::hudSpacing, this)),
      m_font(NotchFonts::rounded(labelPointSize, QFont::Bold)),
      m_label(label()) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    connect(&m_hud, &HUDState::kindChanged, this, &HUDCompactTrailing::refresh);
    connect(&m_volume, &VolumeMonitor::volumeChanged, this, &HUDCompactTrailing::refresh);
    connect(&m_volume, &VolumeMonitor::isMutedChanged, this, &HUDCompactTrailing::refresh);
    connect(&m_brightness, &BrightnessMonitor::brightnessChanged, this,
            &HUDCompactTrailing::refresh);
    connect(&m_driver, &notchkit::AnimationDriver::tick, this, &HUDCompactTrailing::onTick);
}

HUDCompactTrailing::~HUDCompactTrailing() = default;

float HUDCompactTrailing::barValue() const {
    return HUDReadout::barValue(m_hud.kind(), m_volume.volume(), m_volume.isMuted(),
                                m_brightness.brightness());
}

QString HUDCompactTrailing::label() const {
    return QString::fromStdString(HUDReadout::label(m_hud.kind(), barValue()));
}

QColor HUDCompactTrailing::tint() const {
    return HUDCompactLeading::color(m_hud.kind());
}

QRectF HUDCompactTrailing::barRect() const {
    const qreal barWidth = width - trailingPadding - spacing - labelWidth;
    const qreal barHeight = SegmentedBarGeometry::hudHeight;
    return QRectF(0, (height() - barHeight) / 2, barWidth, barHeight);
}

QRectF HUDCompactTrailing::labelRect() const {
    return QRectF(barRect().right() + spacing, 0, labelWidth, height());
}

QSize HUDCompactTrailing::sizeHint() const {
    const int text = static_cast<int>(std::ceil(QFontMetricsF(m_font).height()));
    return QSize(width, std::max(text, static_cast<int>(SegmentedBarGeometry::hudHeight)));
}

void HUDCompactTrailing::resizeEvent(QResizeEvent*) {
    // The bar's widget is larger than the bar by the room its glow needs.
    const int margin = SegmentedBar::glowMargin;
    m_bar->setGeometry(barRect().toAlignedRect().adjusted(-margin, -margin, margin, margin));
}

void HUDCompactTrailing::refresh() {
    m_bar->setTint(tint());
    m_bar->setValue(barValue(), notchkit::Animation::easeOut(kBarDuration));
    const QString next = label();
    if (next != m_label) {
        m_previousLabel = m_label;
        m_label = next;
        const double now = m_driver.now();
        m_roll.reset(0);
        m_roll.setTarget(1, labelSpring(), now);
        m_driver.start();
    }
    update();
}

void HUDCompactTrailing::onTick(double now) {
    if (!m_roll.advance(now)) {
        m_previousLabel.clear();
        m_driver.stop();
    }
    update();
}

void HUDCompactTrailing::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintLabel(painter);
}

void HUDCompactTrailing::paintLabel(QPainter& painter) const {
    const QRectF box = labelRect();
    const QFontMetricsF metrics(m_font);
    const qreal baseline = box.center().y() + (metrics.ascent() - metrics.descent()) / 2;
    const qreal travel = metrics.height() * 0.8;
    const double roll = std::clamp(m_roll.value(), 0.0, 1.0);
    const QColor color = tint();
    painter.setFont(m_font);
    painter.setClipRect(box.adjusted(-spacing / 2.0, 0, trailingPadding, 0));

    const auto drawAt = [&](QChar character, qreal x, qreal offset, double opacity) {
        painter.setOpacity(opacity);
        painter.setPen(color);
        painter.drawText(QPointF(x, baseline + offset), QString(character));
    };
    const auto current = characterPositions(metrics, m_label, box);
    const bool rolling = roll < 1.0 && !m_previousLabel.isEmpty();
    if (!rolling) {
        for (qsizetype i = 0; i < m_label.size(); ++i) {
            drawAt(m_label[i], current[static_cast<std::size_t>(i)], 0, 1);
        }
        return;
    }
    // Characters are matched from the right, place by place; a changed place
    // rolls its old character up and out and the new one up and in.
    const auto previous = characterPositions(metrics, m_previousLabel, box);
    const qsizetype places = std::max(m_label.size(), m_previousLabel.size());
    for (qsizetype place = 0; place < places; ++place) {
        const qsizetype now = m_label.size() - 1 - place;
        const qsizetype before = m_previousLabel.size() - 1 - place;
        const bool hasNow = now >= 0;
        const bool hasBefore = before >= 0;
        if (hasNow && hasBefore && m_label[now] == m_previousLabel[before]) {
            drawAt(m_label[now], current[static_cast<std::size_t>(now)], 0, 1);
            continue;
        }
        if (hasBefore) {
            drawAt(m_previousLabel[before], previous[static_cast<std::size_t>(before)],
                   -roll * travel, 1 - roll);
        }
        if (hasNow) {
            drawAt(m_label[now], current[static_cast<std::size_t>(now)], (1 - roll) * travel, roll);
        }
    }
}

}  // namespace halvane
