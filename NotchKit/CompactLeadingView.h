#pragma once

#include "CompactLabelView.h"

namespace notchkit {

// The leading wing of a NotchInfo: its leading label, else its icon.
class CompactLeadingView final : public CompactLabelView {
    Q_OBJECT

public:
    explicit CompactLeadingView(NotchInfo* info, QWidget* parent = nullptr);

protected:
    std::optional<NotchInfoLabel> currentLabel() const override;
};

}  // namespace notchkit
