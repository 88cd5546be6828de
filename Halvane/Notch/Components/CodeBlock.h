#pragma once

#include <QWidget>

#include <vector>

#include "Halvane/Notch/Components/DiffLine.h"

namespace halvane {

class CappedScrollArea;
class DiffLineView;

// A dark, rounded well of code lines. It shows every line of a change up to
// twelve, and scrolls beyond that; its height is always a whole number of
// rows, so no row is ever cut in half.
class CodeBlock final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kVisibleRows = 12;
    static constexpr qreal kCornerRadius = 10;
    static constexpr int kHorizontalPadding = 10;
    static constexpr int kVerticalPadding = 8;

    CodeBlock(const std::vector<DiffLine>& lines, int lineSpacing, QWidget* parent = nullptr);

    std::vector<DiffLineView*> lineViews() const { return m_lines; }
    CappedScrollArea* scrollArea() const { return m_scroll; }
    // The height of `rows` rows with the block's spacing between them.
    int rowsHeight(int rows) const;

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<DiffLineView*> m_lines;
    CappedScrollArea* m_scroll;
    int m_lineSpacing;
};

}  // namespace halvane
