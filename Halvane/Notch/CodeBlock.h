#pragma once

#include <QWidget>

#include <vector>

#include "Halvane/Notch/DiffLine.h"

namespace halvane {

class CappedScrollArea;
class DiffLineView;

// A dark, rounded well of code lines that scrolls once it is 160 points tall.
class CodeBlock final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kHeightCap = 160;
    static constexpr qreal kCornerRadius = 10;

    CodeBlock(const std::vector<DiffLine>& lines, int lineSpacing, QWidget* parent = nullptr);

    std::vector<DiffLineView*> lineViews() const { return m_lines; }
    CappedScrollArea* scrollArea() const { return m_scroll; }

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<DiffLineView*> m_lines;
    CappedScrollArea* m_scroll;
};

}  // namespace halvane
