#include "Halvane/Notch/Components/DiffLineView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include "Halvane/Theme/NotchFonts.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

namespace {

QFont numberFont() {
    return NotchFonts::monospaced(11);
}

QFont markerFont() {
    return NotchFonts::monospaced(11, QFont::Bold);
}

QFont textFont() {
    return NotchFonts::monospaced(11.5);
}

}  // namespace

DiffLineView::DiffLineView(DiffLine line, QWidget* parent)
    : QWidget(parent), m_line(std::move(line)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::ClickFocus);
    setCursor(Qt::IBeamCursor);
    // Wide lines are elided rather than widening the card.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

QString DiffLineView::displayText() const {
    // An empty line keeps its height.
    return m_line.text.isEmpty() ? QStringLiteral(" ") : m_line.text;
}

qreal DiffLineView::textLeft() const {
    return kLeadingPadding + kNumberWidth + kSpacing + kMarkerWidth + kSpacing;
}

QTextLayout& DiffLineView::layoutFor(qreal width) const {
    width = std::max<qreal>(width, 1);
    if (m_layout && m_layoutWidth == width) {
        return *m_layout;
    }
    const QString full = displayText();
    const QString shown = QFontMetricsF(textFont()).elidedText(full, Qt::ElideRight, width);
    m_elided = shown != full;
    m_layout = std::make_unique<QTextLayout>(shown, textFont());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    m_layout->setTextOption(option);
    m_layout->beginLayout();
    QTextLine line = m_layout->createLine();
    if (line.isValid()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, 0));
    }
    m_layout->endLayout();
    m_layoutWidth = width;
    return *m_layout;
}

bool DiffLineView::isElided() const {
    layoutFor(width() - textLeft());
    return m_elided;
}

int DiffLineView::rowHeight() {
    const qreal line =
        std::max(QFontMetricsF(textFont()).height(), QFontMetricsF(numberFont()).height());
    return static_cast<int>(std::ceil(line + 2 * kVerticalPadding));
}

QSize DiffLineView::sizeHint() const {
    const qreal natural = QFontMetricsF(textFont()).horizontalAdvance(displayText());
    return QSize(static_cast<int>(std::ceil(textLeft() + natural)), rowHeight());
}

// Narrower than the text is fine: it is elided.
QSize DiffLineView::minimumSizeHint() const {
    return QSize(static_cast<int>(std::ceil(textLeft() + kSpacing)), rowHeight());
}

void DiffLineView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (m_line.backgroundTint) {
        NotchShapes::fillRoundedRect(
            painter, QRectF(rect()), kTintCornerRadius,
            NotchPalette::withOpacity(*m_line.backgroundTint, kTintOpacity));
    }
    QTextLayout& layout = layoutFor(width() - textLeft());
    const qreal firstLine =
        layout.lineCount() > 0 ? layout.lineAt(0).height() : QFontMetricsF(textFont()).height();
    const QRectF numberBox(kLeadingPadding, kVerticalPadding, kNumberWidth, firstLine);
    if (m_line.lineNumber) {
        painter.setFont(numberFont());
        painter.setPen(QColor::fromRgbF(1, 1, 1, 0.32f));
        painter.drawText(numberBox, Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(*m_line.lineNumber));
    }
    const QRectF markerBox(numberBox.right() + kSpacing, kVerticalPadding, kMarkerWidth, firstLine);
    painter.setFont(markerFont());
    painter.setPen(m_line.markerColor);
    painter.drawText(markerBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, m_line.marker);

    QList<QTextLayout::FormatRange> selections;
    if (m_anchor != m_cursor) {
        QTextLayout::FormatRange selected;
        selected.start = std::min(m_anchor, m_cursor);
        selected.length = std::abs(m_cursor - m_anchor);
        selected.format.setBackground(NotchPalette::withOpacity(NotchPalette::accent(), 0.4));
        selected.format.setForeground(QColor(Qt::white));
        selections.append(selected);
    }
    painter.setPen(QColor::fromRgbF(1, 1, 1, 0.92f));
    layout.draw(&painter, QPointF(textLeft(), kVerticalPadding), selections);
}

void DiffLineView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    setToolTip(isElided() ? m_line.text : QString());
}

int DiffLineView::cursorAt(const QPointF& position) const {
    QTextLayout& layout = layoutFor(width() - textLeft());
    const QPointF local = position - QPointF(textLeft(), kVerticalPadding);
    if (layout.lineCount() == 0 || local.y() < 0) {
        return 0;
    }
    for (int index = 0; index < layout.lineCount(); ++index) {
        const QTextLine line = layout.lineAt(index);
        if (local.y() < line.y() + line.height()) {
            return line.xToCursor(local.x());
        }
    }
    return static_cast<int>(m_line.text.size());
}

void DiffLineView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_anchor = m_cursor = cursorAt(event->position());
    update();
}

void DiffLineView::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) == 0) {
        return;
    }
    m_cursor = std::clamp(cursorAt(event->position()), 0, static_cast<int>(m_line.text.size()));
    update();
}

void DiffLineView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The word (letters, digits, underscores) under the pointer.
    const QString& text = m_line.text;
    const int size = static_cast<int>(text.size());
    const int at = std::clamp(cursorAt(event->position()), 0, size);
    const auto isWord = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
    int first = at;
    int last = at;
    while (first > 0 && isWord(text[first - 1])) {
        --first;
    }
    while (last < size && isWord(text[last])) {
        ++last;
    }
    if (first == last && at < size) {
        last = at + 1;
    }
    m_anchor = first;
    m_cursor = last;
    update();
}

void DiffLineView::selectAll() {
    m_anchor = 0;
    m_cursor = static_cast<int>(m_line.text.size());
    update();
}

QString DiffLineView::selectedText() const {
    const int start = std::min(m_anchor, m_cursor);
    return m_line.text.mid(start, std::abs(m_cursor - m_anchor));
}

void DiffLineView::copySelection() const {
    if (const QString text = selectedText(); !text.isEmpty()) {
        QApplication::clipboard()->setText(text);
    }
}

void DiffLineView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    QWidget::keyPressEvent(event);
}

void DiffLineView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("Copy"), this, &DiffLineView::copySelection);
    copy->setEnabled(m_anchor != m_cursor);
    menu.addAction(QStringLiteral("Select Line"), this, &DiffLineView::selectAll);
    menu.exec(event->globalPos());
}

void DiffLineView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    // The selection belongs to the line being worked with; a context menu keeps it.
    if (event->reason() != Qt::PopupFocusReason) {
        m_anchor = m_cursor;
        update();
    }
}

}  // namespace halvane
