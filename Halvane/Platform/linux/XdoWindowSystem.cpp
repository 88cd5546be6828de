#include "Halvane/Platform/linux/XdoWindowSystem.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>

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
    const bool activated = xdo_activate_window(x, window) == XDO_SUCCESS;
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
