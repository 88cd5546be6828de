#pragma once

#include <QAbstractButton>

namespace halvane {

// The small round chevron that folds an unfolded session row back up.
class CollapseButton final : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int kSide = 18;

    explicit CollapseButton(QWidget* parent = nullptr);

    QSize sizeHint() const override { return QSize(kSide, kSide); }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

}  // namespace halvane
