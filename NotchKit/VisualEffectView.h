#pragma once

#include <QWidget>

namespace notchkit {

// The material behind the floating card: the notch's black glass. X11 offers
// no blur of what lies behind a window, so it is a dark, nearly opaque tint
// where a compositor blends it with the desktop, and opaque where none runs
// (translucent pixels would show as black there anyway, edges and all).
// Always dark, whatever the desktop's theme: the content on it is drawn white.
class VisualEffectView final : public QWidget {
    Q_OBJECT

public:
    enum class Material { popover = 6 };
    Q_ENUM(Material)
    enum class BlendingMode { behindWindow = 0, withinWindow = 1 };
    Q_ENUM(BlendingMode)

    VisualEffectView(Material material, BlendingMode blendingMode, QWidget* parent);

    Material material() const { return m_material; }
    BlendingMode blendingMode() const { return m_blendingMode; }
    void setCornerRadius(double radius);
    bool isTranslucent() const { return m_translucent; }
    void setTranslucent(bool translucent);
    // The fill for either case.
    static QColor fill(bool translucent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Material m_material;
    BlendingMode m_blendingMode;
    double m_cornerRadius = 20;
    bool m_translucent = true;
};

}  // namespace notchkit
