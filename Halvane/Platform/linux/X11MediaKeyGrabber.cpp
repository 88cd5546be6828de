#include "Halvane/Platform/linux/X11MediaKeyGrabber.h"

#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

namespace halvane {

namespace {

struct KeyName {
    MediaKey key;
    xcb_keysym_t keysym;
    const char* name;
};

constexpr KeyName mediaKeys[] = {
    {MediaKey::volumeUp, XF86XK_AudioRaiseVolume, "XF86AudioRaiseVolume"},
    {MediaKey::volumeDown, XF86XK_AudioLowerVolume, "XF86AudioLowerVolume"},
    {MediaKey::volumeMute, XF86XK_AudioMute, "XF86AudioMute"},
    {MediaKey::brightnessUp, XF86XK_MonBrightnessUp, "XF86MonBrightnessUp"},
    {MediaKey::brightnessDown, XF86XK_MonBrightnessDown, "XF86MonBrightnessDown"},
};

constexpr std::uint8_t badAccess = 10;

xcb_connection_t* applicationConnection() {
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (application == nullptr) {
        return nullptr;
    }
    auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr ||
        xcb_connection_has_error(x11->connection()) != 0) {
        return nullptr;
    }
    return x11->connection();
}

// Keycodes of one keysym; xcb hands back a zero-terminated, malloc'd list.
std::vector<xcb_keycode_t> keycodesOf(xcb_key_symbols_t* symbols, xcb_keysym_t keysym) {
    std::vector<xcb_keycode_t> result;
    const std::unique_ptr<xcb_keycode_t, decltype(&std::free)> codes(
        xcb_key_symbols_get_keycode(symbols, keysym), &std::free);
    for (const xcb_keycode_t* code = codes.get(); code != nullptr && *code != XCB_NO_SYMBOL;
         ++code) {
        if (std::find(result.begin(), result.end(), *code) == result.end()) {
            result.push_back(*code);
        }
    }
    return result;
}

// Whichever modifier NumLock sits on; zero when the keymap has none.
std::uint16_t numLockMask(xcb_connection_t* connection, xcb_key_symbols_t* symbols) {
    const std::vector<xcb_keycode_t> numLock = keycodesOf(symbols, XK_Num_Lock);
    const std::unique_ptr<xcb_get_modifier_mapping_reply_t, decltype(&std::free)> mapping(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr),
        &std::free);
    if (!mapping || numLock.empty()) {
        return 0;
    }
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = codes[modifier * perModifier + i];
            if (code != 0 && std::find(numLock.begin(), numLock.end(), code) != numLock.end()) {
                return static_cast<std::uint16_t>(1U << modifier);
            }
        }
    }
    return 0;
}

const char* nameOf(MediaKey key) {
    for (const KeyName& entry : mediaKeys) {
        if (entry.key == key) {
            return entry.name;
        }
    }
    return "";
}

}  // namespace

X11MediaKeyGrabber::X11MediaKeyGrabber() = default;

X11MediaKeyGrabber::~X11MediaKeyGrabber() {
    release();
}

MediaKeyGrabOutcome X11MediaKeyGrabber::grab(std::function<void(MediaKey)> onKeyDown) {
    release();
    m_connection = applicationConnection();
    if (m_connection == nullptr) {
        return {MediaKeyGrabOutcome::Status::noDisplay, {}};
    }
    const std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(
        xcb_key_symbols_alloc(m_connection), &xcb_key_symbols_free);
    if (!symbols) {
        return {MediaKeyGrabOutcome::Status::failed, "the keyboard map could not be read"};
    }
    // A lock key that is on changes the modifier state of every press, and a
    // grab matches exact modifiers: grab each combination of the two.
    const std::uint16_t numLock = numLockMask(m_connection, symbols.get());
    std::vector<std::uint16_t> modifierSets{0, XCB_MOD_MASK_LOCK};
    if (numLock != 0 && numLock != XCB_MOD_MASK_LOCK) {
        modifierSets.push_back(numLock);
        modifierSets.push_back(static_cast<std::uint16_t>(numLock | XCB_MOD_MASK_LOCK));
    }

    std::vector<xcb_void_cookie_t> cookies;
    for (auto roots = xcb_setup_roots_iterator(xcb_get_setup(m_connection)); roots.rem != 0;
         xcb_screen_next(&roots)) {
        for (const KeyName& entry : mediaKeys) {
            for (const xcb_keycode_t keycode : keycodesOf(symbols.get(), entry.keysym)) {
                for (const std::uint16_t modifiers : modifierSets) {
                    m_grabs.push_back({roots.data->root, keycode, modifiers, entry.key});
                    cookies.push_back(xcb_grab_key_checked(m_connection, 0, roots.data->root,
                                                           modifiers, keycode, XCB_GRAB_MODE_ASYNC,
                                                           XCB_GRAB_MODE_ASYNC));
                }
            }
        }
    }

    std::vector<std::string> taken;
    int otherError = 0;
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        const std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error(
            xcb_request_check(m_connection, cookies[i]), &std::free);
        if (!error) {
            continue;
        }
        if (error->error_code == badAccess) {
            const std::string name = nameOf(m_grabs[i].key);
            if (std::find(taken.begin(), taken.end(), name) == taken.end()) {
                taken.push_back(name);
            }
        } else {
            otherError = error->error_code;
        }
    }
    if (!taken.empty() || otherError != 0) {
        // All or nothing: half the keys would give half the desktop's pop-ups.
        release();
        if (!taken.empty()) {
            std::string names;
            for (const std::string& name : taken) {
                names += (names.empty() ? "" : ", ") + name;
            }
            return {MediaKeyGrabOutcome::Status::keysTaken,
                    "another X11 client, usually the desktop, already grabs " + names +
                        " (BadAccess); the desktop's own volume and brightness pop-ups stay"};
        }
        return {MediaKeyGrabOutcome::Status::failed,
                "the X server refused the key grabs (error " + std::to_string(otherError) + ")"};
    }

    m_onKeyDown = std::move(onKeyDown);
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_filtering = true;
    return {MediaKeyGrabOutcome::Status::grabbed, {}};
}

bool X11MediaKeyGrabber::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || message == nullptr) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & ~0x80;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) {
        return false;
    }
    // Press and release share one layout.
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);
    const auto grabbed = std::find_if(m_grabs.begin(), m_grabs.end(), [key](const Grab& grab) {
        return grab.root == key->event && grab.keycode == key->detail;
    });
    if (grabbed == m_grabs.end()) {
        return false;
    }
    // Auto-repeat arrives as further presses and calls the handler again.
    if (type == XCB_KEY_PRESS && m_onKeyDown) {
        m_onKeyDown(grabbed->key);
    }
    return true;
}

void X11MediaKeyGrabber::release() {
    if (m_filtering) {
        if (QCoreApplication::instance() != nullptr) {
            QCoreApplication::instance()->removeNativeEventFilter(this);
        }
        m_filtering = false;
    }
    if (m_connection != nullptr && !m_grabs.empty() && applicationConnection() == m_connection) {
        // Only our own grabs go; a grab another client holds stays with it.
        for (const Grab& grab : m_grabs) {
            xcb_ungrab_key(m_connection, grab.keycode, grab.root, grab.modifiers);
        }
        xcb_flush(m_connection);
    }
    m_grabs.clear();
    m_onKeyDown = nullptr;
    m_connection = nullptr;
}

std::unique_ptr<MediaKeyGrabber> makeSystemMediaKeyGrabber() {
    return std::make_unique<X11MediaKeyGrabber>();
}

}  // namespace halvane
