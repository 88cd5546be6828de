#pragma once

#include <QWidget>

namespace notchkit {

// The material behind the floating card: the notch's black glass. X11 offers
// no blur of what lies behind a window, so it is a dark, nearly opaque tint
// where a compositor blends it with the desktop, and opaque where none runs
// (translucent pixels would show as black there anyway, edges and all).
// Always dark, whatever the desktop's theme: the content on it is drawn white.
class CardBackdrop final : public QWidget {
    Q_OBJECT

public:
    explicit CardBackdrop(QWidget* parent);

    void setCornerRadius(double radius);
    bool isTranslucent() const { return m_translucent; }
    void setTranslucent(bool translucent);
    // The fill for either case.
    static QColor fill(bool translucent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_cornerRadius = 20;
    bool m_translucent = true;
};

}  // namespace notchkit
