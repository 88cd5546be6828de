#include "CompactTrailing.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Halvane/Notch/Components/WorkingChip.h"
#include "Halvane/Sessions/SessionStore.h"
#include "Halvane/Theme/IconGlyphs.h"
#include "Halvane/Theme/NotchPalette.h"

namespace halvane {

namespace {

constexpr qreal kBellDimmest = 0.35;

const notchkit::Animation& chipFade() {
    static const notchkit::Animation fade = notchkit::Animation::easeOut(
        std::chrono::duration<double>(CompactTrailing::kChipFade).count());
    return fade;
}

}  // namespace

CompactTrailing::CompactTrailing(SessionStore& sessions, QWidget* parent)
    : QWidget(parent), m_sessions(sessions), m_chip(new WorkingChip(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    setCursor(Qt::PointingHandCursor);
    connect(&m_sessions, &SessionStore::changed, this, &CompactTrailing::sync);
    connect(&m_driver, &notchkit::AnimationDriver::tick, this, &CompactTrailing::onTick);
    m_sign = currentSign();
    m_chipPresence.reset(m_sign == Sign::working ? 1 : 0);
    m_chip->setOpacity(m_chipPresence.value());
    m_chip->setVisible(m_sign == Sign::working);
}

bool CompactTrailing::hasWorkingSession() const {
    const auto& sessions = m_sessions.sessions();
    return std::any_of(sessions.begin(), sessions.end(), [](const auto& entry) {
        return entry.second.status.kind() == SessionStatus::Kind::working;
    });
}

CompactTrailing::Sign CompactTrailing::currentSign() const {
    if (!m_sessions.pending().empty()) {
        return Sign::bell;
    }
    if (hasWorkingSession()) {
        return Sign::working;
    }
    if (!m_sessions.justFinished().empty()) {
        return Sign::finished;
    }
    const auto& sessions = m_sessions.sessions();
    const bool yourTurn = std::any_of(sessions.begin(), sessions.end(), [](const auto& entry) {
        return entry.second.awaitingPrompt;
    });
    return yourTurn ? Sign::yourTurn : Sign::quiet;
}

qreal CompactTrailing::bellOpacityAt(qreal progress) {
    // Fades to its dimmest half-way and back, easing both ways.
    const qreal wave = (1 + std::cos(2 * std::numbers::pi * progress)) / 2;
    return kBellDimmest + (1 - kBellDimmest) * wave;
}

void CompactTrailing::sync() {
    const Sign sign = currentSign();
    if (sign == m_sign) {
        return;
    }
    m_sign = sign;
    const double target = sign == Sign::working ? 1 : 0;
    if (isVisible()) {
        m_chipPresence.setTarget(target, chipFade(), m_driver.now());
    } else {
        m_chipPresence.reset(target);
    }
    m_chip->setOpacity(m_chipPresence.value());
    m_chip->setVisible(m_chipPresence.value() > 0 || sign == Sign::working);
    updateDriver();
    updateGeometry();
    update();
}

void CompactTrailing::updateDriver() {
    if (isVisible() && (m_sign == Sign::bell || m_chipPresence.isAnimating())) {
        m_driver.start();
    } else {
        m_driver.stop();
    }
}

void CompactTrailing::onTick(double now) {
    m_chipPresence.advance(now);
    m_chip->setOpacity(m_chipPresence.value());
    m_chip->setVisible(m_chipPresence.value() > 0 || m_sign == Sign::working);
    updateDriver();
    update();
}

QSize CompactTrailing::sizeHint() const {
    if (m_sign == Sign::working) {
        return m_chip->sizeHint();
    }
    const QSizeF symbol = IconGlyphs::size(kSymbolPointSize);
    return QSize(static_cast<int>(std::ceil(symbol.width())),
                 static_cast<int>(std::ceil(symbol.height())));
}

void CompactTrailing::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize chip = m_chip->sizeHint();
    m_chip->setGeometry(0, (height() - chip.height()) / 2, chip.width(), chip.height());
}

void CompactTrailing::paintEvent(QPaintEvent*) {
    if (m_sign == Sign::working) {
        return;
    }
    QPainter painter(this);
    // Cross-fades with the chip as it leaves.
    painter.setOpacity(1 - m_chipPresence.value());
    const QSizeF size = IconGlyphs::size(kSymbolPointSize);
    const QRectF box(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    switch (m_sign) {
        case Sign::bell: {
            const double period = std::chrono::duration<double>(kBellPulsePeriod).count();
            const double cycle = std::fmod(m_driver.now(), period) / period;
            painter.setOpacity(painter.opacity() * bellOpacityAt(cycle));
            IconGlyphs::draw(painter, Icon::bellRinging, box, kSymbolPointSize, QFont::Normal,
                             NotchPalette::systemOrange());
            break;
        }
        case Sign::finished:
            IconGlyphs::draw(painter, Icon::checkCircle, box, kSymbolPointSize, QFont::Normal,
                             NotchPalette::systemGreen());
            break;
        case Sign::yourTurn:
            IconGlyphs::draw(painter, Icon::terminal, box, kSymbolPointSize, QFont::Normal,
                             NotchPalette::systemOrange());
            break;
        case Sign::quiet:
            IconGlyphs::draw(painter, Icon::moreDots, box, kSymbolPointSize, QFont::Normal,
                             QColor::fromRgbF(1, 1, 1, 0.6f));
            break;
        case Sign::working:
            break;
    }
}

void CompactTrailing::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateDriver();
}

void CompactTrailing::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_chipPresence.reset(m_chipPresence.target());
    m_chip->setOpacity(m_chipPresence.value());
    m_chip->setVisible(m_sign == Sign::working);
    updateDriver();
}

void CompactTrailing::mousePressEvent(QMouseEvent* event) {
    event->setAccepted(event->button() == Qt::LeftButton);
}

void CompactTrailing::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit tapped();
    }
}

}  // namespace halvane
