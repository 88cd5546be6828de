#include "Halvane/Platform/linux/PulseAudioOutput.h"

#include <pulse/pulseaudio.h>

#include <QTimer>
#include <algorithm>
#include <cmath>

namespace halvane {

struct PulseAudioOutput::Reply {
    std::mutex mutex;
    std::condition_variable condition;
    bool finished = false;

    void finish() {
        {
            const std::lock_guard lock(mutex);
            finished = true;
        }
        condition.notify_all();
    }
    bool isFinished() {
        const std::lock_guard lock(mutex);
        return finished;
    }
};

namespace {

struct ServerReply final : PulseAudioOutput::Reply {
    std::optional<std::string> defaultSink;
};

struct SinkReply final : PulseAudioOutput::Reply {
    AudioLevels levels;
};

// A volume change waits for the sink's channel volumes, so that it can keep
// the balance between them; it owns itself until libpulse is done with it.
struct VolumeWrite {
    float target = 0.0f;
};

void serverInfoCallback(pa_context*, const pa_server_info* info, void* userdata) {
    auto* reply = static_cast<ServerReply*>(userdata);
    if (info != nullptr) {
        reply->defaultSink = info->default_sink_name != nullptr ? info->default_sink_name : "";
    }
    reply->finish();
}

void sinkInfoCallback(pa_context*, const pa_sink_info* info, int eol, void* userdata) {
    auto* reply = static_cast<SinkReply*>(userdata);
    if (eol != 0) {
        reply->finish();
        return;
    }
    if (info != nullptr) {
        reply->levels.volume =
            static_cast<float>(pa_cvolume_avg(&info->volume)) / static_cast<float>(PA_VOLUME_NORM);
        reply->levels.muted = info->mute != 0;
    }
}

pa_cvolume scaledVolume(const pa_cvolume& current, float target) {
    const double wanted = std::round(static_cast<double>(target) * PA_VOLUME_NORM);
    pa_cvolume result = current;
    const pa_volume_t average = pa_cvolume_avg(&current);
    if (average == PA_VOLUME_MUTED) {
        pa_cvolume_set(&result, current.channels, static_cast<pa_volume_t>(wanted));
        return result;
    }
    // Every channel moves by the same factor, so the average lands on target.
    for (unsigned channel = 0; channel < current.channels; ++channel) {
        const double scaled = std::round(static_cast<double>(current.values[channel]) * wanted /
                                         static_cast<double>(average));
        result.values[channel] =
            static_cast<pa_volume_t>(std::clamp(scaled, 0.0, static_cast<double>(PA_VOLUME_MAX)));
    }
    return result;
}

void volumeWriteCallback(pa_context* context, const pa_sink_info* info, int eol, void* userdata) {
    auto* write = static_cast<VolumeWrite*>(userdata);
    if (eol != 0) {
        delete write;
        return;
    }
    if (info == nullptr) {
        return;
    }
    const pa_cvolume volume = scaledVolume(info->volume, write->target);
    if (pa_operation* operation =
            pa_context_set_sink_volume_by_name(context, info->name, &volume, nullptr, nullptr)) {
        pa_operation_unref(operation);
    }
}

// Holds the libpulse thread's lock for one scope.
class MainloopLock final {
public:
    explicit MainloopLock(pa_threaded_mainloop* mainloop) : m_mainloop(mainloop) {
        pa_threaded_mainloop_lock(m_mainloop);
    }
    ~MainloopLock() { pa_threaded_mainloop_unlock(m_mainloop); }
    MainloopLock(const MainloopLock&) = delete;
    MainloopLock& operator=(const MainloopLock&) = delete;

private:
    pa_threaded_mainloop* m_mainloop;
};

}  // namespace

PulseAudioOutput::PulseAudioOutput(std::string server, std::chrono::milliseconds replyTimeout,
                                   std::chrono::milliseconds reconnectDelay)
    : m_server(std::move(server)),
      m_replyTimeout(replyTimeout),
      m_reconnectDelay(reconnectDelay),
      m_mainloop(pa_threaded_mainloop_new()) {
    if (m_mainloop == nullptr) {
        return;
    }
    {
        const MainloopLock lock(m_mainloop);
        connectContext();
    }
    if (m_context == nullptr) {
        return;
    }
    if (pa_threaded_mainloop_start(m_mainloop) < 0) {
        const MainloopLock lock(m_mainloop);
        releaseContext();
        return;
    }
    // The first readings come right after construction; give the server a
    // bounded moment to answer.
    std::unique_lock lock(m_stateMutex);
    m_stateChanged.wait_for(lock, m_replyTimeout, [this] { return m_settled; });
}

PulseAudioOutput::~PulseAudioOutput() {
    if (m_mainloop == nullptr) {
        return;
    }
    pa_threaded_mainloop_stop(m_mainloop);
    releaseContext();
    pa_threaded_mainloop_free(m_mainloop);
}

void PulseAudioOutput::connectContext() {
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_mainloop);
    m_context = pa_context_new(api, "Halvane");
    if (m_context == nullptr) {
        return;
    }
    pa_context_set_state_callback(m_context, &PulseAudioOutput::contextStateCallback, this);
    pa_context_set_subscribe_callback(
        m_context,
        [](pa_context* context, pa_subscription_event_type_t type, uint32_t index, void* self) {
            subscribeCallback(context, type, index, self);
        },
        this);
    // The desktop starts its sound server; Halvane never spawns one.
    const char* server = m_server.empty() ? nullptr : m_server.c_str();
    if (pa_context_connect(m_context, server, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        releaseContext();
    }
}

void PulseAudioOutput::releaseContext() {
    if (m_context == nullptr) {
        return;
    }
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
}

bool PulseAudioOutput::ready() const {
    return m_context != nullptr && pa_context_get_state(m_context) == PA_CONTEXT_READY;
}

void PulseAudioOutput::contextStateCallback(pa_context* context, void* userdata) {
    auto* self = static_cast<PulseAudioOutput*>(userdata);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state)) {
        {
            const std::lock_guard lock(self->m_stateMutex);
            self->m_settled = true;
        }
        self->m_stateChanged.notify_all();
    }

    if (state == PA_CONTEXT_READY) {
        const bool wasReady = self->m_wasReady.exchange(true);
        if (self->m_watching) {
            constexpr auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK |
                                                                      PA_SUBSCRIPTION_MASK_SERVER);
            if (pa_operation* operation = pa_context_subscribe(context, mask, nullptr, nullptr)) {
                pa_operation_unref(operation);
            }
        }
        if (wasReady) {
            // Back after a restart of the server: the default device and its
            // levels may all be different.
            self->post(Change::device);
        }
        return;
    }
    if (!PA_CONTEXT_IS_GOOD(state) && self->m_wasReady) {
        // The server went away (a restart, an upgrade): keep trying.
        QMetaObject::invokeMethod(
            self, [self] { self->scheduleReconnect(); }, Qt::QueuedConnection);
    }
}

void PulseAudioOutput::scheduleReconnect() {
    if (m_reconnectPending) {
        return;
    }
    m_reconnectPending = true;
    QTimer::singleShot(m_reconnectDelay, this, &PulseAudioOutput::reconnect);
}

void PulseAudioOutput::reconnect() {
    m_reconnectPending = false;
    bool connecting = false;
    {
        const MainloopLock lock(m_mainloop);
        if (m_context != nullptr && PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context))) {
            return;
        }
        releaseContext();
        connectContext();
        connecting = m_context != nullptr;
    }
    if (!connecting) {
        scheduleReconnect();
    }
}

void PulseAudioOutput::subscribeCallback(pa_context*, unsigned type, unsigned, void* userdata) {
    auto* self = static_cast<PulseAudioOutput*>(userdata);
    const unsigned facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const unsigned kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    // A sink coming or going may move the default; the server announces
    // default changes as its own change.
    if (facility == PA_SUBSCRIPTION_EVENT_SERVER ||
        (facility == PA_SUBSCRIPTION_EVENT_SINK && kind != PA_SUBSCRIPTION_EVENT_CHANGE)) {
        self->post(Change::device);
    } else if (facility == PA_SUBSCRIPTION_EVENT_SINK) {
        self->post(Change::levels);
    }
}

void PulseAudioOutput::post(Change change) {
    std::atomic<bool>& pending = change == Change::device ? m_devicePending : m_levelsPending;
    if (pending.exchange(true)) {
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, change] { deliver(change); }, Qt::QueuedConnection);
}

void PulseAudioOutput::deliver(Change change) {
    (change == Change::device ? m_devicePending : m_levelsPending) = false;
    if (m_onChange) {
        m_onChange(change);
    }
}

bool PulseAudioOutput::await(pa_operation* operation, Reply& reply) {
    {
        std::unique_lock lock(reply.mutex);
        reply.condition.wait_for(lock, m_replyTimeout, [&reply] { return reply.finished; });
    }
    // Under the lock no callback runs, so after a cancel none ever will and
    // reply may go away.
    const MainloopLock lock(m_mainloop);
    const bool finished = reply.isFinished();
    if (!finished) {
        pa_operation_cancel(operation);
    }
    pa_operation_unref(operation);
    return finished;
}

std::optional<std::string> PulseAudioOutput::defaultDevice() {
    if (m_mainloop == nullptr) {
        return std::nullopt;
    }
    ServerReply reply;
    pa_operation* operation = nullptr;
    {
        const MainloopLock lock(m_mainloop);
        if (!ready()) {
            return std::nullopt;
        }
        operation = pa_context_get_server_info(m_context, &serverInfoCallback, &reply);
    }
    if (operation == nullptr || !await(operation, reply)) {
        return std::nullopt;
    }
    return reply.defaultSink;
}

AudioLevels PulseAudioOutput::readLevels(const std::string& device) {
    if (m_mainloop == nullptr) {
        return {};
    }
    SinkReply reply;
    pa_operation* operation = nullptr;
    {
        const MainloopLock lock(m_mainloop);
        if (!ready()) {
            return {};
        }
        operation =
            pa_context_get_sink_info_by_name(m_context, device.c_str(), &sinkInfoCallback, &reply);
    }
    if (operation == nullptr || !await(operation, reply)) {
        return {};
    }
    return reply.levels;
}

void PulseAudioOutput::writeVolume(const std::string& device, float volume) {
    if (m_mainloop == nullptr) {
        return;
    }
    const MainloopLock lock(m_mainloop);
    if (!ready()) {
        return;
    }
    auto* write = new VolumeWrite{volume};
    pa_operation* operation =
        pa_context_get_sink_info_by_name(m_context, device.c_str(), &volumeWriteCallback, write);
    if (operation == nullptr) {
        delete write;
        return;
    }
    pa_operation_unref(operation);
}

void PulseAudioOutput::writeMute(const std::string& device, bool muted) {
    if (m_mainloop == nullptr) {
        return;
    }
    const MainloopLock lock(m_mainloop);
    if (!ready()) {
        return;
    }
    if (pa_operation* operation = pa_context_set_sink_mute_by_name(
            m_context, device.c_str(), muted ? 1 : 0, nullptr, nullptr)) {
        pa_operation_unref(operation);
    }
}

void PulseAudioOutput::watch(std::function<void(Change)> onChange) {
    m_onChange = std::move(onChange);
    if (m_watching.exchange(true) || m_mainloop == nullptr) {
        return;
    }
    const MainloopLock lock(m_mainloop);
    if (!ready()) {
        // Subscribed as soon as the server answers.
        return;
    }
    constexpr auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK |
                                                              PA_SUBSCRIPTION_MASK_SERVER);
    if (pa_operation* operation = pa_context_subscribe(m_context, mask, nullptr, nullptr)) {
        pa_operation_unref(operation);
    }
}

std::unique_ptr<AudioOutput> makeSystemAudioOutput() {
    return std::make_unique<PulseAudioOutput>();
}

}  // namespace halvane
