#include "Halvane/Theme/NotchText.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace halvane {

namespace {

// A wrapping text asks for at most this width before its layout narrows it.
constexpr qreal kPreferredWrapWidth = 420;

int ceilToInt(qreal value) {
    return static_cast<int>(std::ceil(value - 1e-6));
}

}  // namespace

NotchText::NotchText(QString text, const QFont& font, const QColor& color, QWidget* parent)
    : QWidget(parent), m_text(std::move(text)), m_color(color) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFont(font);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void NotchText::setText(const QString& text) {
    if (text == m_text) {
        return;
    }
    if (m_crossfade.count() > 0 && isVisible()) {
        if (m_fade == nullptr) {
            m_fade = new QVariantAnimation(this);
            m_fade->setStartValue(0.0);
            m_fade->setEndValue(1.0);
            m_fade->setEasingCurve(QEasingCurve::OutQuad);
            connect(m_fade, &QVariantAnimation::valueChanged, this,
                    qOverload<>(&NotchText::update));
        }
        m_fade->stop();
        m_previousText = m_text;
        m_fade->setDuration(static_cast<int>(m_crossfade.count()));
        m_fade->start();
    }
    m_text = text;
    updateGeometry();
    update();
}

void NotchText::setColor(const QColor& color) {
    if (color != m_color) {
        m_color = color;
        update();
    }
}

void NotchText::setMaxLines(int lines) {
    m_maxLines = std::max(0, lines);
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(m_maxLines != 1);
    setSizePolicy(policy);
    updateGeometry();
}

void NotchText::setElideMode(Qt::TextElideMode mode) {
    m_elideMode = mode;
    updateGeometry();
    update();
}

void NotchText::setAlignment(Qt::Alignment alignment) {
    m_alignment = alignment & Qt::AlignHorizontal_Mask;
    update();
}

void NotchText::setCrossfade(std::chrono::milliseconds duration) {
    m_crossfade = duration;
}

qreal NotchText::lineHeight() const {
    return QFontMetricsF(font()).lineSpacing();
}

QStringList NotchText::linesFor(const QString& text, qreal width) const {
    const QFontMetricsF metrics(font());
    if (m_maxLines == 1) {
        if (m_elideMode == Qt::ElideNone) {
            return {text};
        }
        return {metrics.elidedText(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')),
                                   m_elideMode, width)};
    }
    QStringList lines;
    // QTextLayout breaks lines only at the Unicode line separator.
    const QString laidOut = QString(text).replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(laidOut, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (m_maxLines > 0 && lines.size() == m_maxLines - 1) {
            // The last line allowed takes the rest of the text, cut to fit.
            QString rest = laidOut.mid(line.textStart());
            const bool more = layout.createLine().isValid();
            rest.replace(QChar::LineSeparator, QLatin1Char(' '));
            lines.append(more || metrics.horizontalAdvance(rest) > width
                             ? metrics.elidedText(rest, Qt::ElideRight, width)
                             : rest);
            break;
        }
        QString piece = laidOut.mid(line.textStart(), line.textLength());
        while (piece.endsWith(QChar::LineSeparator)) {
            piece.chop(1);
        }
        lines.append(piece);
    }
    layout.endLayout();
    return lines;
}

QSize NotchText::sizeHint() const {
    const QFontMetricsF metrics(font());
    qreal natural = 0;
    for (const QString& paragraph : m_text.split(QLatin1Char('\n'))) {
        natural = std::max(natural, metrics.horizontalAdvance(paragraph));
    }
    if (m_maxLines == 1) {
        return QSize(ceilToInt(metrics.horizontalAdvance(m_text)), ceilToInt(lineHeight()));
    }
    const int width = ceilToInt(std::min(natural, kPreferredWrapWidth));
    return QSize(width, heightForWidth(width));
}

QSize NotchText::minimumSizeHint() const {
    if (m_elideMode == Qt::ElideNone && m_maxLines == 1) {
        return sizeHint();
    }
    const QFontMetricsF metrics(font());
    const int least = ceilToInt(metrics.horizontalAdvance(QStringLiteral("W…")));
    return QSize(std::min(least, sizeHint().width()), ceilToInt(lineHeight()));
}

int NotchText::heightForWidth(int width) const {
    if (m_maxLines == 1) {
        return ceilToInt(lineHeight());
    }
    const auto lines = std::max<qsizetype>(1, linesFor(m_text, width).size());
    return ceilToInt(static_cast<qreal>(lines) * lineHeight());
}

void NotchText::paintText(QPainter& painter, const QString& text, qreal opacity) const {
    if (opacity <= 0) {
        return;
    }
    const QFontMetricsF metrics(font());
    painter.setOpacity(opacity);
    qreal y = 0;
    for (const QString& line : linesFor(text, width())) {
        const QRectF box(0, y, width(), lineHeight());
        painter.drawText(box, static_cast<int>(m_alignment | Qt::AlignVCenter) | Qt::TextDontClip,
                         line);
        y += lineHeight();
    }
    painter.setOpacity(1);
}

void NotchText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font());
    painter.setPen(m_color);
    const bool fading = m_fade != nullptr && m_fade->state() == QAbstractAnimation::Running;
    const qreal progress = fading ? m_fade->currentValue().toReal() : 1;
    if (fading) {
        paintText(painter, m_previousText, 1 - progress);
    }
    paintText(painter, m_text, progress);
}

void NotchText::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
    }
    QWidget::changeEvent(event);
}

}  // namespace halvane
