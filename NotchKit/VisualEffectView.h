#pragma once

#include <QWidget>

namespace notchkit {

// The translucent material behind the floating card. X11 offers no blur of
// what lies behind a window, so the material is drawn as the tinted, nearly
// opaque fill a popover shows over a busy desktop.
class VisualEffectView final : public QWidget {
    Q_OBJECT

public:
    enum class Material { popover = 6 };
    enum class BlendingMode { behindWindow = 0, withinWindow = 1 };

    VisualEffectView(Material material, BlendingMode blendingMode, QWidget* parent);

    Material material() const { return m_material; }
    BlendingMode blendingMode() const { return m_blendingMode; }
    void setCornerRadius(double radius);

    static int rawValue(Material material) { return static_cast<int>(material); }
    static int rawValue(BlendingMode mode) { return static_cast<int>(mode); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Material m_material;
    BlendingMode m_blendingMode;
    double m_cornerRadius = 20;
};

}  // namespace notchkit
