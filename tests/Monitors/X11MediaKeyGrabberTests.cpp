// Media keys taken on a real X server (Xvfb) and pressed with xdotool.
#include <gtest/gtest.h>

#include <X11/XF86keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QGuiApplication>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "ChildProcess.h"
#include "Halvane/Monitors/SystemHUDSuppressor.h"
#include "Halvane/Platform/linux/X11MediaKeyGrabber.h"
#include "LogCapture.h"
#include "MissingService.h"
#include "XvfbSession.h"

namespace halvane {
namespace {

// Another program on the same display: the desktop holding keys, or a window
// that would receive them.
class OtherClient final {
public:
    OtherClient() : m_connection(xcb_connect(nullptr, nullptr)) {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_symbols = xcb_key_symbols_alloc(m_connection);
    }
    ~OtherClient() {
        xcb_key_symbols_free(m_symbols);
        xcb_disconnect(m_connection);
    }
    OtherClient(const OtherClient&) = delete;
    OtherClient& operator=(const OtherClient&) = delete;

    xcb_keycode_t keycode(xcb_keysym_t keysym) {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(m_symbols, keysym);
        const xcb_keycode_t first = codes != nullptr ? codes[0] : 0;
        std::free(codes);
        return first;
    }
    // The X error code of a passive grab on the root window, 0 when granted.
    int grab(xcb_keysym_t keysym, std::uint16_t modifiers = XCB_MOD_MASK_ANY) {
        const xcb_void_cookie_t cookie =
            xcb_grab_key_checked(m_connection, 0, m_root, modifiers, keycode(keysym),
                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        xcb_generic_error_t* error = xcb_request_check(m_connection, cookie);
        const int code = error != nullptr ? error->error_code : 0;
        std::free(error);
        return code;
    }
    void ungrabAll() {
        xcb_ungrab_key(m_connection, XCB_GRAB_ANY, m_root, XCB_MOD_MASK_ANY);
        roundTrip();
    }
    // Key presses that reach the root window reach this client from now on.
    void listenForKeys() {
        const std::uint32_t mask = XCB_EVENT_MASK_KEY_PRESS;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        roundTrip();
    }
    // Key presses delivered so far; the round trip makes sure every event the
    // server made before now has arrived.
    int keyPresses() {
        roundTrip();
        int count = 0;
        while (xcb_generic_event_t* event = xcb_poll_for_queued_event(m_connection)) {
            count += (event->response_type & ~0x80) == XCB_KEY_PRESS ? 1 : 0;
            std::free(event);
        }
        return count;
    }
    // The keyboard's modifier state, lock keys included.
    std::uint16_t modifierState() {
        xcb_query_pointer_reply_t* reply =
            xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr);
        const std::uint16_t mask = reply != nullptr ? reply->mask : 0;
        std::free(reply);
        return mask;
    }

private:
    void roundTrip() {
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
    xcb_key_symbols_t* m_symbols = nullptr;
};

class X11MediaKeysTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_xvfb = new test::XvfbSession(false);
        if (!s_xvfb->ready()) {
            return;
        }
        qputenv("QT_QPA_PLATFORM", "xcb");
        static int argc = 1;
        static char name[] = "monitors_x11_tests";
        static char* argv[] = {name, nullptr};
        s_application = new QGuiApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        // The application's X connection goes before its server does.
        delete s_application;
        s_application = nullptr;
        delete s_xvfb;
        s_xvfb = nullptr;
    }

    void SetUp() override {
        if (!s_xvfb->ready()) {
            HALVANE_SKIP_UNLESS_CI(s_xvfb->why());
        }
        suppressor.setOnVolumeUp([this] { pressed.push_back(MediaKey::volumeUp); });
        suppressor.setOnVolumeDown([this] { pressed.push_back(MediaKey::volumeDown); });
        suppressor.setOnVolumeMute([this] { pressed.push_back(MediaKey::volumeMute); });
        suppressor.setOnBrightnessUp([this] { pressed.push_back(MediaKey::brightnessUp); });
        suppressor.setOnBrightnessDown([this] { pressed.push_back(MediaKey::brightnessDown); });
    }

    static void xdotool(const std::vector<std::string>& arguments) {
        std::vector<std::string> argv{"/usr/bin/xdotool"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        const test::ChildResult result = test::runChild(argv);
        ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    }
    bool pressedCountReaches(std::size_t count) {
        return QTest::qWaitFor([&] { return pressed.size() >= count; }, 10000);
    }

    static test::XvfbSession* s_xvfb;
    static QGuiApplication* s_application;
    SystemHUDSuppressor suppressor{std::make_unique<X11MediaKeyGrabber>()};
    std::vector<MediaKey> pressed;
};

test::XvfbSession* X11MediaKeysTest::s_xvfb = nullptr;
QGuiApplication* X11MediaKeysTest::s_application = nullptr;

TEST_F(X11MediaKeysTest, EveryMediaKeyReachesItsHandler) {
    suppressor.start();
    ASSERT_TRUE(suppressor.isRunning());
    xdotool({"key", "XF86AudioRaiseVolume", "XF86AudioLowerVolume", "XF86AudioMute",
             "XF86MonBrightnessUp", "XF86MonBrightnessDown"});
    ASSERT_TRUE(pressedCountReaches(5));
    EXPECT_EQ(pressed,
              (std::vector<MediaKey>{MediaKey::volumeUp, MediaKey::volumeDown, MediaKey::volumeMute,
                                     MediaKey::brightnessUp, MediaKey::brightnessDown}));
}

TEST_F(X11MediaKeysTest, KeysAreTakenWithNumLockAndCapsLockOn) {
    suppressor.start();
    xdotool({"key", "Num_Lock", "Caps_Lock"});
    OtherClient observer;
    ASSERT_EQ(observer.modifierState() & XCB_MOD_MASK_LOCK, XCB_MOD_MASK_LOCK);
    ASSERT_NE(observer.modifierState() & ~XCB_MOD_MASK_LOCK, 0) << "NumLock is on";
    xdotool({"key", "XF86AudioRaiseVolume"});
    xdotool({"key", "Caps_Lock"});
    xdotool({"key", "XF86AudioMute"});
    xdotool({"key", "Num_Lock"});
    ASSERT_TRUE(pressedCountReaches(2));
    EXPECT_EQ(pressed, (std::vector<MediaKey>{MediaKey::volumeUp, MediaKey::volumeMute}));
}

TEST_F(X11MediaKeysTest, AGrabbedKeyReachesNoOtherClient) {
    OtherClient desktop;
    desktop.listenForKeys();
    suppressor.start();
    xdotool({"key", "a"});
    EXPECT_EQ(desktop.keyPresses(), 1) << "ordinary keys still reach the desktop";
    xdotool({"key", "XF86AudioRaiseVolume"});
    ASSERT_TRUE(pressedCountReaches(1));
    EXPECT_EQ(desktop.keyPresses(), 0);
}

TEST_F(X11MediaKeysTest, HoldingAKeyCallsTheHandlerForEveryRepeat) {
    suppressor.start();
    // Held down, the server repeats the key on its own after its delay.
    xdotool({"keydown", "XF86AudioLowerVolume"});
    const bool repeated = pressedCountReaches(3);
    xdotool({"keyup", "XF86AudioLowerVolume"});
    ASSERT_TRUE(repeated);
    EXPECT_EQ(pressed, std::vector<MediaKey>(pressed.size(), MediaKey::volumeDown));
}

TEST_F(X11MediaKeysTest, KeysHeldByTheDesktopLeaveItStoppedWithOneLineNamingThem) {
    OtherClient desktop;
    ASSERT_EQ(desktop.grab(XF86XK_AudioRaiseVolume), 0);
    {
        const test::LogCapture log;
        suppressor.start();
        EXPECT_FALSE(suppressor.isRunning());
        const auto lines = log.lines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind("HUDSuppressor: ", 0), 0u) << lines[0];
        EXPECT_NE(lines[0].find("XF86AudioRaiseVolume"), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find("BadAccess"), std::string::npos) << lines[0];
        EXPECT_EQ(lines[0].find("XF86AudioMute"), std::string::npos) << "only the taken keys";
    }
    OtherClient another;
    EXPECT_EQ(another.grab(XF86XK_AudioMute), 0) << "nothing is left half-grabbed";
    another.ungrabAll();

    desktop.ungrabAll();
    suppressor.start();
    ASSERT_TRUE(suppressor.isRunning()) << "a later start tries again";
    xdotool({"key", "XF86AudioRaiseVolume"});
    EXPECT_TRUE(pressedCountReaches(1));
}

TEST_F(X11MediaKeysTest, TheGrabEndsWithTheGrabber) {
    {
        SystemHUDSuppressor temporary{std::make_unique<X11MediaKeyGrabber>()};
        temporary.start();
        ASSERT_TRUE(temporary.isRunning());
        OtherClient desktop;
        EXPECT_EQ(desktop.grab(XF86XK_MonBrightnessUp, 0), 10) << "held: BadAccess";
    }
    OtherClient desktop;
    EXPECT_EQ(desktop.grab(XF86XK_MonBrightnessUp), 0);
}

}  // namespace
}  // namespace halvane
