#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Halvane/Platform/AudioLevels.h"

namespace halvane {

// The sound server's output devices, named by their server-side names. Reads
// answer at once from the main thread; writes are sent and not awaited, and
// their effect comes back as a change report. Failures are silent.
class AudioOutput {
public:
    enum class Change {
        // The volume or mute of some device moved.
        levels,
        // The default output may be another device now.
        device,
    };

    virtual ~AudioOutput() = default;

    // The default output device: empty when the server has none, nullopt
    // when the server cannot be asked.
    virtual std::optional<std::string> defaultDevice() = 0;
    virtual AudioLevels readLevels(const std::string& device) = 0;
    // Sets the device's volume (0…1 of full scale), keeping its balance.
    virtual void writeVolume(const std::string& device, float volume) = 0;
    virtual void writeMute(const std::string& device, bool muted) = 0;
    // Reports every later change on the main thread. Watching again only
    // replaces the handler.
    virtual void watch(std::function<void(Change)> onChange) = 0;
};

// The running session's sound server.
std::unique_ptr<AudioOutput> makeSystemAudioOutput();

}  // namespace halvane
