#pragma once

#include <functional>

#include "Halvane/Platform/MediaKeyGrabber.h"

namespace halvane::test {

// The keyboard a FakeMediaKeyGrabber grabs from: the test picks the outcome
// of a grab and presses keys.
struct FakeKeyboard {
    MediaKeyGrabOutcome outcome{MediaKeyGrabOutcome::Status::grabbed, {}};
    int grabs = 0;
    std::function<void(MediaKey)> onKeyDown;

    // True when a grab holds the key and it reached the grabber.
    bool press(MediaKey key) const {
        if (!onKeyDown) {
            return false;
        }
        onKeyDown(key);
        return true;
    }
};

class FakeMediaKeyGrabber final : public MediaKeyGrabber {
public:
    explicit FakeMediaKeyGrabber(FakeKeyboard& keyboard) : m_keyboard(keyboard) {}

    MediaKeyGrabOutcome grab(std::function<void(MediaKey)> onKeyDown) override {
        ++m_keyboard.grabs;
        if (m_keyboard.outcome.status == MediaKeyGrabOutcome::Status::grabbed) {
            m_keyboard.onKeyDown = std::move(onKeyDown);
        }
        return m_keyboard.outcome;
    }

private:
    FakeKeyboard& m_keyboard;
};

}  // namespace halvane::test
