#include "CompactLeadingView.h"

#include "NotchInfo.h"

namespace notchkit {

CompactLeadingView::CompactLeadingView(NotchInfo* info, QWidget* parent)
    : CompactLabelView(info, parent) {
    refresh();
}

std::optional<NotchInfoLabel> CompactLeadingView::currentLabel() const {
    return info()->leadingLabel();
}

}  // namespace notchkit
