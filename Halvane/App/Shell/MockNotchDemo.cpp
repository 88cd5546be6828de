#include "Halvane/App/Shell/MockNotchDemo.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTimer>
#include <QVariantAnimation>

#include <algorithm>

#include "Halvane/Notch/Components/IconBadge.h"
#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"
#include "NotchKit/NotchShape.h"

namespace halvane {

namespace {

constexpr qreal kEar = 10;
constexpr qreal kBottomRadius = 22;
constexpr qreal kInset = kEar + 18;
constexpr qreal kTop = 14;
constexpr qreal kBadge = 22;
constexpr qreal kHeaderGap = 10;
constexpr qreal kLineHeight = 18;
constexpr qreal kCodePadding = 9;
constexpr qreal kButtonsGap = 10;
constexpr qreal kButtonHeight = 26;
constexpr qreal kBottom = 16;
constexpr int kRevealMilliseconds = 260;

QColor white(qreal opacity) {
    return QColor::fromRgbF(1, 1, 1, static_cast<float>(opacity));
}

}  // namespace

std::vector<MockNotchDemo::Line> MockNotchDemo::welcomeLines() {
    return {
        {QStringLiteral("+"), QStringLiteral("import { verifyJWT } from './jwt'")},
        {QStringLiteral("+"), QStringLiteral("const token = await verifyJWT(req.headers)")},
        {QStringLiteral(" "), QStringLiteral("if (!user) return unauthorized()")},
    };
}

MockNotchDemo::MockNotchDemo(std::vector<Line> lines, QWidget* parent)
    : MockNotchDemo(std::move(lines), Timings(), parent) {}

MockNotchDemo::MockNotchDemo(std::vector<Line> lines, Timings timings, QWidget* parent)
    : QWidget(parent),
      m_lines(std::move(lines)),
      m_timings(timings),
      m_timer(new QTimer(this)),
      m_revealAnimation(new QVariantAnimation(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFixedSize(sizeHint());
    auto* badge = new IconBadge(kBadge, 6, this);
    badge->setGeometry(static_cast<int>(kInset), static_cast<int>(kTop), static_cast<int>(kBadge),
                       static_cast<int>(kBadge));

    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &MockNotchDemo::step);
    m_revealAnimation->setDuration(kRevealMilliseconds);
    m_revealAnimation->setStartValue(0.0);
    m_revealAnimation->setEndValue(1.0);
    m_revealAnimation->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_revealAnimation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) {
                m_reveal = value.toReal();
                update();
            });
}

bool MockNotchDemo::running() const {
    return m_timer->isActive();
}

int MockNotchDemo::codeHeight() const {
    return static_cast<int>(2 * kCodePadding + kLineHeight * static_cast<qreal>(m_lines.size()));
}

QSize MockNotchDemo::sizeHint() const {
    const qreal height =
        kTop + kBadge + kHeaderGap + codeHeight() + kButtonsGap + kButtonHeight + kBottom;
    return QSize(kWidth, static_cast<int>(height));
}

void MockNotchDemo::showEvent(QShowEvent* event) {
    restart();
    QWidget::showEvent(event);
}

void MockNotchDemo::hideEvent(QHideEvent* event) {
    // Leaving the screen ends the loop; it starts over when shown again.
    m_timer->stop();
    m_revealAnimation->stop();
    QWidget::hideEvent(event);
}

void MockNotchDemo::restart() {
    setPhase(0);
    m_timer->start(m_timings.start);
}

void MockNotchDemo::step() {
    const int last = static_cast<int>(m_lines.size()) + 1;
    if (m_phase >= last) {
        restart();
        return;
    }
    setPhase(m_phase + 1);
    m_timer->start(m_phase >= last ? m_timings.hold : m_timings.step);
}

void MockNotchDemo::setPhase(int phase) {
    const bool grew = phase > m_phase;
    m_phase = phase;
    m_revealAnimation->stop();
    m_reveal = 1;
    if (grew) {
        m_revealAnimation->start();
    }
    update();
    emit phaseChanged(phase);
}

void MockNotchDemo::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF frame(rect());

    // The strip of screen edge the notch hangs from.
    NotchShapes::fillRoundedRect(painter, QRectF(0, 0, frame.width(), 3), 1.5, white(0.08));
    painter.fillPath(notchkit::NotchShape(kEar, kBottomRadius).path(frame), Qt::black);

    painter.setFont(NotchFonts::system(12, QFont::DemiBold));
    painter.setPen(Qt::white);
    const QRectF header(kInset + kBadge + 8, kTop, frame.width() - 2 * kInset - kBadge - 8, kBadge);
    painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Claude \u00b7 Edit lib/auth.ts"));

    const QRectF code(kInset, kTop + kBadge + kHeaderGap, frame.width() - 2 * kInset, codeHeight());
    NotchShapes::fillRoundedRect(painter, code, 8, NotchPalette::codeFill(),
                                 NotchPalette::codeStroke(), 1);
    const QFont mono = NotchFonts::monospaced(10.5);
    painter.setFont(mono);
    const int shown = std::min(m_phase, static_cast<int>(m_lines.size()));
    for (int index = 0; index < shown; ++index) {
        const Line& line = m_lines[static_cast<std::size_t>(index)];
        const bool newest = index == m_phase - 1;
        const qreal reveal = newest ? m_reveal : 1;
        const QRectF row(code.left() + 4, code.top() + kCodePadding + index * kLineHeight,
                         code.width() - 8, kLineHeight);
        painter.setOpacity(reveal);
        const bool added = line.marker == QStringLiteral("+");
        if (added) {
            NotchShapes::fillRoundedRect(
                painter, row, 4, NotchPalette::withOpacity(NotchPalette::systemGreen(), 0.12));
        }
        const qreal slide = (1 - reveal) * -6;
        painter.setPen(added ? NotchPalette::systemGreen() : NotchPalette::dimText());
        painter.drawText(row.translated(8 + slide, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         line.marker);
        painter.setPen(added ? white(0.92) : NotchPalette::mutedText());
        painter.drawText(row.adjusted(24 + slide, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         line.text);
        painter.setOpacity(1);
    }

    if (m_phase > static_cast<int>(m_lines.size())) {
        painter.setOpacity(m_phase == static_cast<int>(m_lines.size()) + 1 ? m_reveal : 1);
        painter.setFont(NotchFonts::system(11.5, QFont::DemiBold));
        const QFontMetricsF metrics(painter.font());
        qreal x = kInset;
        const qreal y = code.bottom() + kButtonsGap;
        const struct {
            const char* label;
            bool primary;
        } buttons[] = {{"Approve", true}, {"Deny", false}, {"Always", false}};
        for (const auto& button : buttons) {
            const QString label = QString::fromLatin1(button.label);
            const QRectF face(x, y, metrics.horizontalAdvance(label) + 28, kButtonHeight);
            NotchShapes::fillRoundedRect(painter, face, 8,
                                         button.primary ? NotchPalette::accent() : white(0.08),
                                         white(0.08), 1);
            painter.setPen(button.primary ? Qt::white : white(0.85));
            painter.drawText(face, Qt::AlignCenter, label);
            x = face.right() + 8;
        }
        painter.setOpacity(1);
    }
}

}  // namespace halvane
