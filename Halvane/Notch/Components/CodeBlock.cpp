#include "Halvane/Notch/Components/CodeBlock.h"

#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>

#include "Halvane/Notch/Components/CappedScrollArea.h"
#include "Halvane/Notch/Components/DiffLineView.h"
#include "Halvane/Theme/NotchPalette.h"
#include "Halvane/Theme/NotchShapes.h"

namespace halvane {

CodeBlock::CodeBlock(const std::vector<DiffLine>& lines, int lineSpacing, QWidget* parent)
    : QWidget(parent), m_lineSpacing(lineSpacing) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* host = new QWidget;
    auto* column = new QVBoxLayout(host);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(lineSpacing);
    for (const DiffLine& line : lines) {
        auto* view = new DiffLineView(line);
        m_lines.push_back(view);
        column->addWidget(view);
    }
    // The padding sits outside the scrolling part; one step of the wheel is one row.
    m_scroll =
        new CappedScrollArea(host, rowsHeight(kVisibleRows), CappedScrollArea::Indicators::shown);
    m_scroll->verticalScrollBar()->setSingleStep(DiffLineView::rowHeight() + lineSpacing);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(kHorizontalPadding, kVerticalPadding, kHorizontalPadding,
                              kVerticalPadding);
    outer->addWidget(m_scroll);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

int CodeBlock::rowsHeight(int rows) const {
    return rows <= 0 ? 0 : rows * DiffLineView::rowHeight() + (rows - 1) * m_lineSpacing;
}

QSize CodeBlock::sizeHint() const {
    const int width = QWidget::sizeHint().width();
    return QSize(width, heightForWidth(width));
}

int CodeBlock::heightForWidth(int width) const {
    // A layout without wrapping text has one height whatever the width.
    const QLayout* column = layout();
    return column->hasHeightForWidth() ? column->totalHeightForWidth(width)
                                       : column->totalSizeHint().height();
}

void CodeBlock::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    NotchShapes::fillRoundedRect(painter, QRectF(rect()), kCornerRadius, NotchPalette::codeFill(),
                                 NotchPalette::codeStroke(), 1);
}

}  // namespace halvane
