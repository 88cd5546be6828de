#pragma once

#include <QObject>

namespace halvane {

// Plays the application's short named sounds. play returns at once: the sound
// is heard when an output exists and is silently dropped when none does.
class SoundPlayer {
    Q_GADGET

public:
    // "Glass" when Claude finishes a task, "Hero" at the end of onboarding.
    enum class Sound { glass, hero };
    Q_ENUM(Sound)

    virtual ~SoundPlayer() = default;
    virtual void play(Sound sound) = 0;
};

}  // namespace halvane
