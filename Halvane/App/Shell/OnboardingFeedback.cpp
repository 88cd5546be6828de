#include "Halvane/App/Shell/OnboardingFeedback.h"

#include "Halvane/Platform/SoundPlayer.h"
#include "Halvane/Sessions/Preferences.h"

namespace halvane {

OnboardingFeedback::OnboardingFeedback(SoundPlayer& sounds, const Preferences& preferences)
    : m_sounds(sounds), m_preferences(preferences) {}

void OnboardingFeedback::success() {
    if (m_preferences.soundsEnabled()) {
        m_sounds.play(SoundPlayer::Sound::glass);
    }
}

void OnboardingFeedback::celebrate() {
    if (m_preferences.soundsEnabled()) {
        m_sounds.play(SoundPlayer::Sound::hero);
    }
}

}  // namespace halvane
