#pragma once

#include <QObject>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

#include "Halvane/Platform/AudioOutput.h"

struct pa_context;
struct pa_operation;
struct pa_threaded_mainloop;

namespace halvane {

// Output devices through libpulse, which PulseAudio and PipeWire's pulse
// server both speak. libpulse runs its own thread; its callbacks only post
// work to the main thread, and reads wait for their reply for a bounded time.
class PulseAudioOutput final : public QObject, public AudioOutput {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds defaultReplyTimeout{1000};
    static constexpr std::chrono::milliseconds defaultReconnectDelay{2000};

    // server as libpulse spells it ("unix:/run/user/1000/pulse/native"); empty
    // for the session's own.
    explicit PulseAudioOutput(std::string server = {},
                              std::chrono::milliseconds replyTimeout = defaultReplyTimeout,
                              std::chrono::milliseconds reconnectDelay = defaultReconnectDelay);
    ~PulseAudioOutput() override;

    std::optional<std::string> defaultDevice() override;
    AudioLevels readLevels(const std::string& device) override;
    void writeVolume(const std::string& device, float volume) override;
    void writeMute(const std::string& device, bool muted) override;
    void watch(std::function<void(Change)> onChange) override;

    // A read waiting for libpulse's answer; its callbacks, in the
    // implementation file, fill it in and wake the reader.
    struct Reply;

private:
    static void contextStateCallback(pa_context* context, void* userdata);
    static void subscribeCallback(pa_context* context, unsigned type, unsigned index,
                                  void* userdata);

    // With the libpulse thread's lock held, or from that thread.
    void connectContext();
    void releaseContext();
    bool ready() const;
    // Waits for reply, then settles operation either way.
    bool await(pa_operation* operation, Reply& reply);
    void post(Change change);
    void deliver(Change change);
    void scheduleReconnect();
    void reconnect();

    std::string m_server;
    std::chrono::milliseconds m_replyTimeout;
    std::chrono::milliseconds m_reconnectDelay;
    pa_threaded_mainloop* m_mainloop = nullptr;
    pa_context* m_context = nullptr;
    std::function<void(Change)> m_onChange;
    // Only the main thread waits on it, for the first connection.
    std::mutex m_stateMutex;
    std::condition_variable m_stateChanged;
    bool m_settled = false;
    // Whether the handler was installed, as the libpulse thread sees it.
    std::atomic<bool> m_watching{false};
    // Set once the server answered; a later loss of the server reconnects.
    std::atomic<bool> m_wasReady{false};
    // Main thread only.
    bool m_reconnectPending = false;
    // Collapse a burst of server events into one report per kind.
    std::atomic<bool> m_levelsPending{false};
    std::atomic<bool> m_devicePending{false};
};

}  // namespace halvane
