#pragma once

#include <xcb/xcb.h>

#include <QByteArray>
#include <QHash>
#include <QPointer>
#include <QRegion>

#include <vector>

#include "NotchWindowSystem.h"

namespace notchkit {

class X11CompositorWatch;

// X11 through Qt's own xcb connection: sticky on all desktops
// (_NET_WM_DESKTOP 0xFFFFFFFF, _NET_WM_STATE_STICKY), kept above, out of the
// taskbar and pager, and an input shape (X Shape extension) that matches the
// visible surface. While a compositor runs the bounding shape stays whole for
// the shadow; without one it is the visible surface too, since the server
// would paint the transparent rest of the window black.
class X11NotchWindowSystem final : public NotchWindowSystem {
    Q_OBJECT

public:
    // `screenNumber` is the X screen the panels live on (DISPLAY's ".n").
    X11NotchWindowSystem(xcb_connection_t* connection, int screenNumber);
    ~X11NotchWindowSystem() override;

    void preparePanel(QWidget* panel) override;
    void panelShown(QWidget* panel) override;
    void setOpacity(QWidget* panel, double opacity) override;
    void setSurfaceRegion(QWidget* panel, const QRegion& region) override;
    bool isCompositing() const override;

private:
    struct ShapedPanel {
        QPointer<QWidget> panel;
        QRegion region;
    };

    xcb_atom_t atom(const QByteArray& name);
    void sendState(xcb_window_t window, xcb_atom_t first, xcb_atom_t second);
    void applyShapes(QWidget* panel, const QRegion& region);
    void reshapeAll();

    xcb_connection_t* m_connection;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    bool m_hasShape = false;
    QHash<QByteArray, xcb_atom_t> m_atoms;
    X11CompositorWatch* m_compositor;
    std::vector<ShapedPanel> m_panels;
};

}  // namespace notchkit
