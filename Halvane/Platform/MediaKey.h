#pragma once

#include <cstdint>
#include <optional>

namespace halvane {

// The keyboard's volume and brightness keys, with the key codes the product
// uses for them.
enum class MediaKey : std::uint8_t {
    volumeUp = 0,
    volumeDown = 1,
    brightnessUp = 2,
    brightnessDown = 3,
    volumeMute = 7,
};

inline constexpr MediaKey allMediaKeys[] = {MediaKey::volumeUp, MediaKey::volumeDown,
                                            MediaKey::volumeMute, MediaKey::brightnessUp,
                                            MediaKey::brightnessDown};

inline constexpr int rawValue(MediaKey key) {
    return static_cast<int>(key);
}

inline constexpr std::optional<MediaKey> mediaKeyFromRaw(int raw) {
    for (const MediaKey key : allMediaKeys) {
        if (rawValue(key) == raw) {
            return key;
        }
    }
    return std::nullopt;
}

}  // namespace halvane
