#include "X11CompositorWatch.h"

#include <xcb/xfixes.h>

#include <QByteArray>
#include <QCoreApplication>

#include <cstdlib>
#include <memory>

namespace notchkit {

namespace {

template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

}  // namespace

X11CompositorWatch::X11CompositorWatch(xcb_connection_t* connection, int screenNumber,
                                       xcb_window_t root, QObject* parent)
    : QObject(parent), m_connection(connection) {
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screenNumber);
    ReplyPointer<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(name.size()), name.constData()),
            nullptr),
        &std::free);
    if (atom) {
        m_selection = atom->atom;
    }
    const xcb_query_extension_reply_t* xfixes =
        xcb_get_extension_data(m_connection, &xcb_xfixes_id);
    if (xfixes != nullptr && xfixes->present != 0 && m_selection != XCB_ATOM_NONE &&
        root != XCB_WINDOW_NONE) {
        // The server speaks XFixes to a client only once it has said which version it knows.
        ReplyPointer<xcb_xfixes_query_version_reply_t> version(
            xcb_xfixes_query_version_reply(
                m_connection,
                xcb_xfixes_query_version(m_connection, XCB_XFIXES_MAJOR_VERSION,
                                         XCB_XFIXES_MINOR_VERSION),
                nullptr),
            &std::free);
        if (version) {
            xcb_xfixes_select_selection_input(
                m_connection, root, m_selection,
                XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                    XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                    XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
            xcb_flush(m_connection);
            m_xfixesEvent = static_cast<uint8_t>(xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
            QCoreApplication::instance()->installNativeEventFilter(this);
        }
    }
    refresh();
}

X11CompositorWatch::~X11CompositorWatch() {
    if (m_xfixesEvent != 0 && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

void X11CompositorWatch::refresh() {
    if (m_selection == XCB_ATOM_NONE) {
        setCompositing(false);
        return;
    }
    ReplyPointer<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(m_connection,
                                      xcb_get_selection_owner(m_connection, m_selection), nullptr),
        &std::free);
    setCompositing(owner && owner->owner != XCB_WINDOW_NONE);
}

bool X11CompositorWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (m_xfixesEvent == 0 || eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != m_xfixesEvent) {
        return false;
    }
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notify->selection == m_selection) {
        // A closing owner's client or window leaves the selection without one.
        setCompositing(notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER &&
                       notify->owner != XCB_WINDOW_NONE);
    }
    // Other parts of the application may watch selections too.
    return false;
}

void X11CompositorWatch::setCompositing(bool compositing) {
    if (compositing != m_compositing) {
        m_compositing = compositing;
        emit compositingChanged(compositing);
    }
}

}  // namespace notchkit
