#include "CodeBlock.h"

#include <QPainter>
#include <QVBoxLayout>

#include "Halvane/Notch/CappedScrollArea.h"
#include "Halvane/Notch/DiffLineView.h"
#include "Halvane/Notch/NotchPalette.h"
#include "Halvane/Notch/NotchShapes.h"

namespace halvane {

namespace {

constexpr int kHorizontalPadding = 10;
constexpr int kVerticalPadding = 8;

}  // namespace

CodeBlock::CodeBlock(const std::vector<DiffLine>& lines, int lineSpacing, QWidget* parent)
    : QWidget(parent) {
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
    // The padding sits outside the scrolling part, so the cap covers both.
    m_scroll = new CappedScrollArea(host, kHeightCap - 2 * kVerticalPadding,
                                    CappedScrollArea::Indicators::shown);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(kHorizontalPadding, kVerticalPadding, kHorizontalPadding,
                              kVerticalPadding);
    outer->addWidget(m_scroll);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
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
