#pragma once

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "Halvane/Platform/SoundPlayer.h"

struct ca_context;

namespace halvane {

// Plays our own chime files through libcanberra (PulseAudio, PipeWire's pulse
// server or ALSA). The sound system is only ever touched on the player's own
// thread, so a slow or missing sound server never holds up the caller; with no
// output at all the sounds are simply not heard.
class CanberraSoundPlayer final : public SoundPlayer {
public:
    // <folder of the running executable>/../share/halvane/sounds, where both
    // the build and an install put the chimes.
    static std::filesystem::path defaultSoundsFolder();

    explicit CanberraSoundPlayer(std::filesystem::path soundsFolder = defaultSoundsFolder());
    ~CanberraSoundPlayer() override;
    CanberraSoundPlayer(const CanberraSoundPlayer&) = delete;
    CanberraSoundPlayer& operator=(const CanberraSoundPlayer&) = delete;

    void play(Sound sound) override;

    std::filesystem::path fileFor(Sound sound) const;
    // Returns once every sound asked for so far was handed to the sound system.
    void waitUntilIdle();

private:
    void run();
    void start(Sound sound, ca_context* context);

    const std::filesystem::path m_folder;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Sound> m_queue;
    bool m_busy = false;
    bool m_stopping = false;
    std::set<Sound> m_reportedMissing;
    std::thread m_worker;
};

}  // namespace halvane
