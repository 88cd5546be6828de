#pragma once

#include <QTextLayout>
#include <QWidget>

#include <memory>

#include "Halvane/Notch/DiffLine.h"

namespace halvane {

// One line of a code block: a dim line number, a coloured marker and the
// text in the monospaced face, wrapped when long, on an optional tint. The
// text can be selected with the pointer and copied.
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

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QString displayText() const;
    // The text laid out for a text column of `width`; cached per width.
    QTextLayout& layoutFor(qreal width) const;
    int cursorAt(const QPointF& position) const;
    void copySelection() const;

    DiffLine m_line;
    mutable std::unique_ptr<QTextLayout> m_layout;
    mutable qreal m_layoutWidth = -1;
    int m_anchor = 0;
    int m_cursor = 0;
};

}  // namespace halvane
