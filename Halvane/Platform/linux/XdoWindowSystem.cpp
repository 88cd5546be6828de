#include "Halvane/Platform/linux/XdoWindowSystem.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>
#include <optional>

extern "C" {
#include <xdo.h>
}

namespace halvane {

namespace {

// Delay between synthetic key events; terminals drop keys sent faster.
constexpr useconds_t keyDelayMicroseconds = 12000;

bool windowManagerSupports(Display* display, const char* atomName) {
    const Atom supported = XInternAtom(display, "_NET_SUPPORTED", True);
    const Atom wanted = XInternAtom(display, atomName, True);
    if (supported == None || wanted == None) {
        return false;
    }
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    const int status =
        XGetWindowProperty(display, DefaultRootWindow(display), supported, 0, 4096, False, XA_ATOM,
                           &type, &format, &count, &remaining, &data);
    bool found = false;
    if (status == Success && data != nullptr && type == XA_ATOM && format == 32) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count && !found; ++i) {
            found = atoms[i] == wanted;
        }
    }
    if (data != nullptr) {
        XFree(data);
    }
    return found;
}

// The desktop a window is on; nothing for a window on every desktop.
std::optional<long> desktopOfWindow(Display* display, Window window) {
    const Atom desktop = XInternAtom(display, "_NET_WM_DESKTOP", True);
    if (desktop == None) {
        return std::nullopt;
    }
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::optional<long> result;
    if (XGetWindowProperty(display, window, desktop, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &remaining, &data) == Success &&
        data != nullptr && type == XA_CARDINAL && format == 32 && count == 1) {
        const unsigned long number = *reinterpret_cast<const unsigned long*>(data);
        if (number != 0xFFFFFFFFUL) {
            result = static_cast<long>(number);
        }
    }
    if (data != nullptr) {
        XFree(data);
    }
    return result;
}

bool sendToWindowManager(Display* display, Window root, Window window, const char* message,
                         long first) {
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.display = display;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, message, False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = first;
    event.xclient.data.l[1] = CurrentTime;
    return XSendEvent(display, root, False, SubstructureNotifyMask | SubstructureRedirectMask,
                      &event) != 0;
}

// The EWMH activation, as a pager asks for it: first the window's desktop,
// then the window. libxdo's own activation keeps a copy of the window
// manager's feature list on every call, and the app activates windows all day.
bool activate(Display* display, Window window) {
    XWindowAttributes attributes;
    if (!windowManagerSupports(display, "_NET_ACTIVE_WINDOW") ||
        XGetWindowAttributes(display, window, &attributes) == 0) {
        return false;
    }
    const Window root = attributes.root;
    if (windowManagerSupports(display, "_NET_CURRENT_DESKTOP")) {
        if (const auto desktop = desktopOfWindow(display, window)) {
            sendToWindowManager(display, root, root, "_NET_CURRENT_DESKTOP", *desktop);
        }
    }
    // 2: the request comes from a pager, which window managers always honour.
    return sendToWindowManager(display, root, window, "_NET_ACTIVE_WINDOW", 2);
}

}  // namespace

XdoWindowSystem::XdoWindowSystem() = default;

XdoWindowSystem::~XdoWindowSystem() {
    if (m_xdo != nullptr) {
        xdo_free(m_xdo);
    }
}

xdo* XdoWindowSystem::connection() {
    if (!m_tried) {
        m_tried = true;
        const char* display = std::getenv("DISPLAY");
        if (display != nullptr && *display != '\0') {
            m_xdo = xdo_new(display);
        }
    }
    return m_xdo;
}

bool XdoWindowSystem::trusted() {
    xdo* x = connection();
    return x != nullptr && windowManagerSupports(x->xdpy, "_NET_ACTIVE_WINDOW");
}

bool XdoWindowSystem::activateWindowOfPid(std::int32_t pid) {
    xdo* x = connection();
    if (x == nullptr || pid <= 0) {
        return false;
    }
    xdo_search_t search;
    std::memset(&search, 0, sizeof search);
    search.pid = pid;
    search.max_depth = -1;
    search.only_visible = 1;
    search.require = xdo_search_t::SEARCH_ALL;
    search.searchmask = SEARCH_PID | SEARCH_ONLYVISIBLE;
    Window* windows = nullptr;
    unsigned int count = 0;
    if (xdo_search_windows(x, &search, &windows, &count) != XDO_SUCCESS || count == 0) {
        if (windows != nullptr) {
            free(windows);
        }
        return false;
    }
    const Window window = windows[0];
    free(windows);
    const bool activated = activate(x->xdpy, window);
    XFlush(x->xdpy);
    return activated;
}

bool XdoWindowSystem::typeKeys(const std::string& keys) {
    xdo* x = connection();
    if (x == nullptr) {
        return false;
    }
    bool typed = true;
    std::size_t start = 0;
    while (start < keys.size()) {
        const std::size_t lineBreak = keys.find_first_of("\r\n", start);
        const std::string text = keys.substr(start, lineBreak - start);
        if (!text.empty()) {
            typed = xdo_enter_text_window(x, CURRENTWINDOW, text.c_str(), keyDelayMicroseconds) ==
                        XDO_SUCCESS &&
                    typed;
        }
        if (lineBreak == std::string::npos) {
            break;
        }
        typed = xdo_send_keysequence_window(x, CURRENTWINDOW, "Return", keyDelayMicroseconds) ==
                    XDO_SUCCESS &&
                typed;
        start = lineBreak + 1;
    }
    XFlush(x->xdpy);
    return typed;
}

void XdoWindowSystem::beep() {
    if (xdo* x = connection()) {
        XBell(x->xdpy, 0);
        XFlush(x->xdpy);
    }
}

}  // namespace halvane
