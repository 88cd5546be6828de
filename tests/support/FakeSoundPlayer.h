#pragma once

#include <vector>

#include "Halvane/Platform/SoundPlayer.h"

namespace halvane::test {

// Remembers every sound asked for, in order, and plays none.
class FakeSoundPlayer final : public SoundPlayer {
public:
    void play(Sound sound) override { played.push_back(sound); }

    std::vector<Sound> played;
};

}  // namespace halvane::test
