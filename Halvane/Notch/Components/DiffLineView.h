#pragma once

#include <QTextLayout>
#include <QWidget>

#include <memory>

#include "Halvane/Notch/Components/DiffLine.h"

namespace halvane {

// One line of a code block: a dim line number, a coloured marker and the
// text in the monospaced face, on an optional tint. Always one row tall, so a
// block of rows never shows half of one: a line too long for the column ends
// in an ellipsis and shows whole in its tooltip. The text can be selected
// with the pointer and copied ("Select Line" copies all of it).
class DiffLineView final : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal kNumberWidth = 24;
    static constexpr qreal kMarkerWidth = 10;
    static constexpr qreal kSpacing = 8;
    static constexpr qreal kLeadingPadding = 2;
    static constexpr qreal kVerticalPadding = 1;
    static constexpr qreal kTintOpacity = 0.1;
    static constexpr qreal kTintCornerRadius = 4;

    explicit DiffLineView(DiffLine line, QWidget* parent = nullptr);

    const DiffLine& line() const { return m_line; }
    // Where the text starts, in this widget's coordinates.
    qreal textLeft() const;
    QString selectedText() const;
    void selectAll();
    // Whether the text is cut short at the current width.
    bool isElided() const;
    // The height of every row.
    static int rowHeight();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString displayText() const;
    // The text, elided to a column of `width`, laid out on one line; cached per width.
    QTextLayout& layoutFor(qreal width) const;
    int cursorAt(const QPointF& position) const;
    void copySelection() const;

    DiffLine m_line;
    mutable std::unique_ptr<QTextLayout> m_layout;
    mutable qreal m_layoutWidth = -1;
    mutable bool m_elided = false;
    int m_anchor = 0;
    int m_cursor = 0;
};

}  // namespace halvane
