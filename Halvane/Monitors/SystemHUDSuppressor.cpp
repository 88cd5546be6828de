#include "Halvane/Monitors/SystemHUDSuppressor.h"

#include <string>

#include "Halvane/Platform/posix/Log.h"

namespace halvane {

SystemHUDSuppressor& SystemHUDSuppressor::shared() {
    // Never destroyed: handlers and the grab live as long as the process.
    static auto* instance = new SystemHUDSuppressor(makeSystemMediaKeyGrabber());
    return *instance;
}

SystemHUDSuppressor::SystemHUDSuppressor(std::unique_ptr<MediaKeyGrabber> grabber)
    : m_grabber(std::move(grabber)) {}

SystemHUDSuppressor::~SystemHUDSuppressor() = default;

void SystemHUDSuppressor::start() {
    if (m_isRunning || !m_grabber) {
        return;
    }
    const MediaKeyGrabOutcome outcome = m_grabber->grab([this](MediaKey key) { handle(key); });
    switch (outcome.status) {
        case MediaKeyGrabOutcome::Status::grabbed:
            m_isRunning = true;
            return;
        case MediaKeyGrabOutcome::Status::noDisplay:
            log::system("HUDSuppressor: Accessibility permission required");
            return;
        case MediaKeyGrabOutcome::Status::keysTaken:
            log::system("HUDSuppressor: " + outcome.detail);
            return;
        case MediaKeyGrabOutcome::Status::failed:
            // The desktop's own pop-up keeps working; nothing for the user to do.
            return;
    }
}

void SystemHUDSuppressor::handle(MediaKey key) {
    const Handler* handler = nullptr;
    switch (key) {
        case MediaKey::volumeUp:
            handler = &m_onVolumeUp;
            break;
        case MediaKey::volumeDown:
            handler = &m_onVolumeDown;
            break;
        case MediaKey::volumeMute:
            handler = &m_onVolumeMute;
            break;
        case MediaKey::brightnessUp:
            handler = &m_onBrightnessUp;
            break;
        case MediaKey::brightnessDown:
            handler = &m_onBrightnessDown;
            break;
    }
    if (handler != nullptr && *handler) {
        // A copy: the handler may replace itself while it runs.
        const Handler run = *handler;
        run();
    }
}

}  // namespace halvane
