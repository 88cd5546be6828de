#pragma once

#include "CompactLabelView.h"

namespace notchkit {

// The trailing wing of a NotchInfo: its trailing label, if it has one.
class CompactTrailingView final : public CompactLabelView {
    Q_OBJECT

public:
    explicit CompactTrailingView(NotchInfo* info, QWidget* parent = nullptr);

protected:
    std::optional<NotchInfoLabel> currentLabel() const override;
};

}  // namespace notchkit
