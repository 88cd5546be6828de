#pragma once

#include <xcb/xcb.h>

#include <QByteArray>
#include <QHash>

#include "NotchWindowSystem.h"

namespace notchkit {

// X11 through Qt's own xcb connection: sticky on all desktops
// (_NET_WM_DESKTOP 0xFFFFFFFF, _NET_WM_STATE_STICKY), kept above, out of the
// taskbar and pager, and an input shape (X Shape extension) that matches the
// visible surface while the bounding shape stays whole for the shadow.
class X11NotchWindowSystem final : public NotchWindowSystem {
public:
    explicit X11NotchWindowSystem(xcb_connection_t* connection);

    void preparePanel(QWidget* panel) override;
    void panelShown(QWidget* panel) override;
    void setOpacity(QWidget* panel, double opacity) override;
    void setInputRegion(QWidget* panel, const QRegion& region) override;

private:
    xcb_atom_t atom(const QByteArray& name);
    void sendState(xcb_window_t window, xcb_atom_t first, xcb_atom_t second);

    xcb_connection_t* m_connection;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    bool m_hasShape = false;
    QHash<QByteArray, xcb_atom_t> m_atoms;
};

}  // namespace notchkit
