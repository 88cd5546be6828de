#include "CompactTrailingView.h"

#include "NotchInfo.h"

namespace notchkit {

CompactTrailingView::CompactTrailingView(NotchInfo* info, QWidget* parent)
    : CompactLabelView(info, parent) {
    refresh();
}

std::optional<NotchInfoLabel> CompactTrailingView::currentLabel() const {
    return info()->compactTrailing();
}

}  // namespace notchkit
