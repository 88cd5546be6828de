#include "Halvane/Platform/linux/CanberraSoundPlayer.h"

#include <canberra.h>

#include <QMetaEnum>

#include <cctype>
#include <string>
#include <system_error>

#include "Halvane/Platform/posix/Log.h"

namespace halvane {

namespace {

// A burst of stops must not turn into a long queue of chimes played late.
constexpr std::size_t queueLimit = 4;

std::filesystem::path executableFolder() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::filesystem::current_path(error);
    }
    return executable.parent_path();
}

// The sound's name, "glass": its file is glass.wav, and the sound server
// lists it as "Glass".
std::string soundName(SoundPlayer::Sound sound) {
    return QMetaEnum::fromType<SoundPlayer::Sound>().valueToKey(static_cast<int>(sound));
}

}  // namespace

std::filesystem::path CanberraSoundPlayer::defaultSoundsFolder() {
    return (executableFolder() / ".." / "share" / "halvane" / "sounds").lexically_normal();
}

CanberraSoundPlayer::CanberraSoundPlayer(std::filesystem::path soundsFolder)
    : m_folder(std::move(soundsFolder)), m_worker(&CanberraSoundPlayer::run, this) {}

CanberraSoundPlayer::~CanberraSoundPlayer() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

std::filesystem::path CanberraSoundPlayer::fileFor(Sound sound) const {
    return m_folder / (soundName(sound) + ".wav");
}

void CanberraSoundPlayer::play(Sound sound) {
    {
        const std::lock_guard lock(m_mutex);
        if (m_queue.size() >= queueLimit) {
            return;
        }
        m_queue.push_back(sound);
    }
    m_wake.notify_one();
}

void CanberraSoundPlayer::waitUntilIdle() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_busy; });
}

void CanberraSoundPlayer::run() {
    // Created lazily and kept: destroying a context cuts off what it plays.
    ca_context* context = nullptr;
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_stopping) {
            break;
        }
        const Sound sound = m_queue.front();
        m_queue.pop_front();
        m_busy = true;
        lock.unlock();
        if (context == nullptr && ca_context_create(&context) == CA_SUCCESS) {
            ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "Halvane",
                                    CA_PROP_APPLICATION_ID, "app.halvane", nullptr);
        }
        start(sound, context);
        lock.lock();
        m_busy = false;
        if (m_queue.empty()) {
            m_idle.notify_all();
        }
    }
    m_queue.clear();
    m_idle.notify_all();
    lock.unlock();
    if (context != nullptr) {
        ca_context_destroy(context);
    }
}

void CanberraSoundPlayer::start(Sound sound, ca_context* context) {
    const std::filesystem::path file = fileFor(sound);
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        // A broken installation: say so once, then stay quiet.
        const std::lock_guard lock(m_mutex);
        if (m_reportedMissing.insert(sound).second) {
            log::system("Halvane: sound file missing: " + file.string());
        }
        return;
    }
    if (context == nullptr) {
        return;
    }
    // Without a sound server or device this fails; the chime is then not heard.
    std::string description = soundName(sound);
    description.front() =
        static_cast<char>(std::toupper(static_cast<unsigned char>(description.front())));
    ca_context_play(context, 0, CA_PROP_MEDIA_FILENAME, file.c_str(), CA_PROP_EVENT_DESCRIPTION,
                    description.c_str(), CA_PROP_CANBERRA_CACHE_CONTROL, "volatile", nullptr);
}

}  // namespace halvane
