#pragma once

#include <functional>
#include <memory>

#include "Halvane/Platform/MediaKeyGrabber.h"

namespace halvane {

// Takes the volume, mute and brightness keys away from the desktop, so its
// own pop-up never appears, and hands each press to Halvane's handlers.
class SystemHUDSuppressor final {
public:
    using Handler = std::function<void()>;

    // The process-wide instance, made on first use and never released.
    static SystemHUDSuppressor& shared();

    explicit SystemHUDSuppressor(std::unique_ptr<MediaKeyGrabber> grabber);
    ~SystemHUDSuppressor();
    SystemHUDSuppressor(const SystemHUDSuppressor&) = delete;
    SystemHUDSuppressor& operator=(const SystemHUDSuppressor&) = delete;

    // Takes the keys. When they cannot be taken the suppressor stays stopped,
    // logs why, and a later call tries again. Does nothing once running.
    void start();
    bool isRunning() const { return m_isRunning; }

    // Installers read the previous handler and chain it into their own.
    // Handlers run on the main thread and should only schedule their work.
    Handler onVolumeUp() const { return m_onVolumeUp; }
    Handler onVolumeDown() const { return m_onVolumeDown; }
    Handler onVolumeMute() const { return m_onVolumeMute; }
    Handler onBrightnessUp() const { return m_onBrightnessUp; }
    Handler onBrightnessDown() const { return m_onBrightnessDown; }
    void setOnVolumeUp(Handler handler) { m_onVolumeUp = std::move(handler); }
    void setOnVolumeDown(Handler handler) { m_onVolumeDown = std::move(handler); }
    void setOnVolumeMute(Handler handler) { m_onVolumeMute = std::move(handler); }
    void setOnBrightnessUp(Handler handler) { m_onBrightnessUp = std::move(handler); }
    void setOnBrightnessDown(Handler handler) { m_onBrightnessDown = std::move(handler); }

private:
    // A key-down of a grabbed key; the key is consumed whether or not a
    // handler is installed.
    void handle(MediaKey key);

    std::unique_ptr<MediaKeyGrabber> m_grabber;
    bool m_isRunning = false;
    Handler m_onVolumeUp;
    Handler m_onVolumeDown;
    Handler m_onVolumeMute;
    Handler m_onBrightnessUp;
    Handler m_onBrightnessDown;
};

}  // namespace halvane
