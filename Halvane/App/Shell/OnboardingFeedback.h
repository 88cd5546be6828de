#pragma once

namespace halvane {

class Preferences;
class SoundPlayer;

// The little rewards of the first-run flow and the settings window: a chime
// for a step done ("Glass") and a fanfare for the finish ("Hero"), both only
// while "8-bit sounds" is on.
class OnboardingFeedback final {
public:
    OnboardingFeedback(SoundPlayer& sounds, const Preferences& preferences);

    void success();
    void celebrate();

private:
    SoundPlayer& m_sounds;
    const Preferences& m_preferences;
};

}  // namespace halvane
