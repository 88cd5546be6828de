#pragma once

#include <optional>
#include <string_view>

namespace halvane {

// Plays the application's short named sounds. play returns at once: the sound
// is heard when an output exists and is silently dropped when none does.
class SoundPlayer {
public:
    // "Glass" when Claude finishes a task, "Hero" at the end of onboarding.
    enum class Sound { glass, hero };

    virtual ~SoundPlayer() = default;
    virtual void play(Sound sound) = 0;
};

inline std::string_view rawValue(SoundPlayer::Sound sound) {
    switch (sound) {
        case SoundPlayer::Sound::glass:
            return "Glass";
        case SoundPlayer::Sound::hero:
            return "Hero";
    }
    return "Glass";
}

inline std::optional<SoundPlayer::Sound> soundFromRaw(std::string_view raw) {
    for (auto sound : {SoundPlayer::Sound::glass, SoundPlayer::Sound::hero}) {
        if (rawValue(sound) == raw) {
            return sound;
        }
    }
    return std::nullopt;
}

}  // namespace halvane
