#pragma once

#include <QScrollArea>

#include <optional>

namespace halvane {

// A vertical scroll view that is exactly as tall as its content up to a cap,
// and scrolls beyond it. Transparent, frameless; its indicators are slim
// overlays or not shown at all.
class CappedScrollArea final : public QScrollArea {
    Q_OBJECT

public:
    enum class Indicators { shown, hidden };

    // Takes ownership of `content`.
    CappedScrollArea(QWidget* content, std::optional<int> cap, Indicators indicators,
                     QWidget* parent = nullptr);

    std::optional<int> cap() const { return m_cap; }
    void setCap(std::optional<int> cap);
    // Whether the content is taller than the cap at the current width.
    bool isScrolling() const;
    int contentHeightForWidth(int width) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<int> m_cap;
};

}  // namespace halvane
