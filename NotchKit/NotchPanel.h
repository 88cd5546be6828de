#pragma once

#include <QRegion>
#include <QWidget>

namespace notchkit {

class NotchContentView;
class NotchWindowSystem;

// The borderless window the notch lives in: translucent, above everything, on
// every workspace, shown without taking focus but able to take it when
// clicked. Its frame is the top-centre quarter of a screen; only the visible
// surface takes pointer input, so the transparent rest never blocks a click.
class NotchPanel final : public QWidget {
    Q_OBJECT

public:
    explicit NotchPanel(NotchWindowSystem* windowSystem, QWidget* parent = nullptr);

    // The top-centre quarter of `screenFrame`.
    static QRect frameFor(const QRect& screenFrame);

    void setContentView(NotchContentView* view);
    NotchContentView* contentView() const { return m_contentView; }
    // Shows the panel without activating it, whatever application is active.
    void orderFrontRegardless();
    QRegion inputRegion() const { return m_inputRegion; }
    // The whole window's opacity (the fade), whether or not the platform shows it.
    double opacity() const { return m_opacity; }
    void setOpacity(double opacity);
    bool canBecomeKey() const { return true; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateInputRegion();

    NotchWindowSystem* m_windowSystem;
    NotchContentView* m_contentView = nullptr;
    QRegion m_inputRegion;
    bool m_prepared = false;
    double m_opacity = 1;
};

}  // namespace notchkit
