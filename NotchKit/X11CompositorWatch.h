#pragma once

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QObject>

namespace notchkit {

// Whether a compositing manager runs on an X screen: it owns the selection
// _NET_WM_CM_S<screen> while it does. Compositors come and go while we run
// (picom restarted, a desktop switching its effects off), so the owner is
// followed through XFixes selection events where the server has XFixes, and
// re-read on demand where it has not.
class X11CompositorWatch final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    X11CompositorWatch(xcb_connection_t* connection, int screenNumber, xcb_window_t root,
                       QObject* parent = nullptr);
    ~X11CompositorWatch() override;

    bool isCompositing() const { return m_compositing; }
    // Whether changes are reported as they happen; without XFixes, callers
    // ask refresh() at the moments that matter to them.
    bool followsChanges() const { return m_xfixesEvent != 0; }
    // Reads the selection's owner now.
    void refresh();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void compositingChanged(bool compositing);

private:
    void setCompositing(bool compositing);

    xcb_connection_t* m_connection;
    xcb_atom_t m_selection = XCB_ATOM_NONE;
    // The XFixes selection-notify event code, 0 without XFixes.
    uint8_t m_xfixesEvent = 0;
    bool m_compositing = false;
};

}  // namespace notchkit
