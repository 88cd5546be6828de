#pragma once

#include <QWidget>

namespace halvane {

// The glass behind a notch card: wraps the card's padded content and paints a
// rounded, translucent black panel with a faint white edge behind it. The
// content keeps its own padding; the wrapper adds none.
class NotchCardBackground final : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal kCornerRadius = 16;
    static constexpr qreal kBorderWidth = 1;

    // Takes ownership of `content` (which may be null and set later).
    explicit NotchCardBackground(QWidget* content = nullptr, QWidget* parent = nullptr);

    QWidget* content() const { return m_content; }
    // Replaces the content; the previous one is deleted.
    void setContent(QWidget* content);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* m_content = nullptr;
};

}  // namespace halvane
