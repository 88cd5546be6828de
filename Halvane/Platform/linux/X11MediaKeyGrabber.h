#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <functional>
#include <vector>

#include "Halvane/Platform/MediaKeyGrabber.h"

struct xcb_connection_t;

namespace halvane {

// Passive grabs of the media keys on every root window of the application's
// own X connection; the key events then come to this process alone and are
// taken out of Qt's event stream here.
class X11MediaKeyGrabber final : public MediaKeyGrabber, private QAbstractNativeEventFilter {
public:
    X11MediaKeyGrabber();
    ~X11MediaKeyGrabber() override;
    X11MediaKeyGrabber(const X11MediaKeyGrabber&) = delete;
    X11MediaKeyGrabber& operator=(const X11MediaKeyGrabber&) = delete;

    MediaKeyGrabOutcome grab(std::function<void(MediaKey)> onKeyDown) override;

private:
    struct Grab {
        std::uint32_t root = 0;
        std::uint8_t keycode = 0;
        std::uint16_t modifiers = 0;
        MediaKey key = MediaKey::volumeUp;
    };

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    void release();

    xcb_connection_t* m_connection = nullptr;
    std::vector<Grab> m_grabs;
    std::function<void(MediaKey)> m_onKeyDown;
    bool m_filtering = false;
};

}  // namespace halvane
