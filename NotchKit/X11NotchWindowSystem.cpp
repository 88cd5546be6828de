#include "X11NotchWindowSystem.h"

#include <xcb/shape.h>

#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <vector>

#include "NotchLog.h"
#include "X11CompositorWatch.h"

namespace notchkit {

namespace {

constexpr uint32_t allDesktops = 0xFFFFFFFF;
constexpr uint32_t netWmStateAdd = 1;

}  // namespace

X11NotchWindowSystem::X11NotchWindowSystem(xcb_connection_t* connection, int screenNumber)
    : m_connection(connection) {
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && screens.rem > 1; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem > 0) {
        m_root = screens.data->root;
    }
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(m_connection, &xcb_shape_id);
    m_hasShape = shape != nullptr && shape->present != 0;
    if (!m_hasShape) {
        qCWarning(notchKitLog) << "The X server has no Shape extension: the whole notch panel"
                               << "will take clicks";
    }
    m_compositor = new X11CompositorWatch(m_connection, screenNumber, m_root, this);
    connect(m_compositor, &X11CompositorWatch::compositingChanged, this, [this](bool compositing) {
        reshapeAll();
        emit compositingChanged(compositing);
    });
}

X11NotchWindowSystem::~X11NotchWindowSystem() = default;

bool X11NotchWindowSystem::isCompositing() const {
    return m_compositor->isCompositing();
}

xcb_atom_t X11NotchWindowSystem::atom(const QByteArray& name) {
    const auto cached = m_atoms.constFind(name);
    if (cached != m_atoms.constEnd()) {
        return *cached;
    }
    const auto cookie =
        xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(name.size()), name.constData());
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(m_connection, cookie, nullptr), &std::free);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    m_atoms.insert(name, value);
    return value;
}

void X11NotchWindowSystem::preparePanel(QWidget* panel) {
    const auto window = static_cast<xcb_window_t>(panel->winId());
    // Read by the window manager when the window is first mapped.
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_DESKTOP"),
                        XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    // Qt adds its own states to these when it maps the window.
    const xcb_atom_t states[] = {atom("_NET_WM_STATE_STICKY"), atom("_NET_WM_STATE_ABOVE"),
                                 atom("_NET_WM_STATE_SKIP_TASKBAR"),
                                 atom("_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_STATE"),
                        XCB_ATOM_ATOM, 32, std::size(states), states);
    xcb_flush(m_connection);
}

void X11NotchWindowSystem::sendState(xcb_window_t window, xcb_atom_t first, xcb_atom_t second) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("_NET_WM_STATE");
    event.data.data32[0] = netWmStateAdd;
    event.data.data32[1] = first;
    event.data.data32[2] = second;
    event.data.data32[3] = 1;  // a normal application
    xcb_send_event(m_connection, 0, m_root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&event));
}

void X11NotchWindowSystem::setOpacity(QWidget* panel, double opacity) {
    panel->setWindowOpacity(opacity);
}

void X11NotchWindowSystem::panelShown(QWidget* panel) {
    panel->raise();
    if (m_root == XCB_WINDOW_NONE) {
        return;
    }
    const auto window = static_cast<xcb_window_t>(panel->winId());
    // Once mapped, the window manager owns these: ask it, as EWMH requires, in
    // case it read the properties before they were complete.
    sendState(window, atom("_NET_WM_STATE_STICKY"), atom("_NET_WM_STATE_ABOVE"));
    sendState(window, atom("_NET_WM_STATE_SKIP_TASKBAR"), atom("_NET_WM_STATE_SKIP_PAGER"));

    xcb_client_message_event_t desktop{};
    desktop.response_type = XCB_CLIENT_MESSAGE;
    desktop.format = 32;
    desktop.window = window;
    desktop.type = atom("_NET_WM_DESKTOP");
    desktop.data.data32[0] = allDesktops;
    desktop.data.data32[1] = 1;
    xcb_send_event(m_connection, 0, m_root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&desktop));
    xcb_flush(m_connection);
}

void X11NotchWindowSystem::setSurfaceRegion(QWidget* panel, const QRegion& region) {
    std::erase_if(m_panels, [](const ShapedPanel& shaped) { return shaped.panel.isNull(); });
    const auto known =
        std::find_if(m_panels.begin(), m_panels.end(),
                     [panel](const ShapedPanel& shaped) { return shaped.panel == panel; });
    if (known == m_panels.end()) {
        m_panels.push_back({panel, region});
    } else {
        known->region = region;
    }
    if (!m_compositor->followsChanges()) {
        // Without XFixes nobody tells us of a compositor that came or went.
        m_compositor->refresh();
    }
    applyShapes(panel, region);
}

void X11NotchWindowSystem::reshapeAll() {
    for (const ShapedPanel& shaped : m_panels) {
        if (shaped.panel) {
            applyShapes(shaped.panel, shaped.region);
        }
    }
}

void X11NotchWindowSystem::applyShapes(QWidget* panel, const QRegion& region) {
    if (!m_hasShape || !panel->testAttribute(Qt::WA_WState_Created)) {
        return;
    }
    const auto window = static_cast<xcb_window_t>(panel->winId());
    const double scale = panel->devicePixelRatioF();
    std::vector<xcb_rectangle_t> rectangles;
    rectangles.reserve(static_cast<size_t>(region.rectCount()));
    for (const QRect& rect : region) {
        const QRect native(
            QPoint(static_cast<int>(rect.left() * scale), static_cast<int>(rect.top() * scale)),
            QSize(static_cast<int>(std::ceil(rect.width() * scale)),
                  static_cast<int>(std::ceil(rect.height() * scale))));
        rectangles.push_back({static_cast<int16_t>(native.x()), static_cast<int16_t>(native.y()),
                              static_cast<uint16_t>(native.width()),
                              static_cast<uint16_t>(native.height())});
    }
    xcb_shape_rectangles(m_connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT,
                         XCB_CLIP_ORDERING_UNSORTED, window, 0, 0,
                         static_cast<uint32_t>(rectangles.size()), rectangles.data());
    if (m_compositor->isCompositing()) {
        // The whole window again, so the compositor draws the shadow round the surface.
        xcb_shape_mask(m_connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, window, 0, 0,
                       XCB_PIXMAP_NONE);
    } else {
        xcb_shape_rectangles(m_connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING,
                             XCB_CLIP_ORDERING_UNSORTED, window, 0, 0,
                             static_cast<uint32_t>(rectangles.size()), rectangles.data());
    }
    xcb_flush(m_connection);
}

}  // namespace notchkit
