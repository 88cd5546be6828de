#include "Halvane/Sessions/WorkerThreads.h"

#include <pthread.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

namespace halvane {

struct WorkerThreads::State {
    std::chrono::milliseconds idleTimeout;
    std::size_t stackSize;

    std::mutex mutex;
    std::condition_variable jobArrived;
    std::deque<std::function<void()>> jobs;
    // Idle threads not yet promised a queued job.
    std::size_t unclaimed = 0;
    std::size_t threads = 0;
    bool stopping = false;
};

namespace {

struct ThreadStart {
    std::shared_ptr<void> state;
    std::function<void()> job;
};

}  // namespace

WorkerThreads::WorkerThreads(std::chrono::milliseconds idleTimeout, std::size_t stackSize)
    : m_state(std::make_shared<State>()) {
    m_state->idleTimeout = idleTimeout;
    m_state->stackSize = stackSize;
}

WorkerThreads::~WorkerThreads() {
    std::lock_guard lock(m_state->mutex);
    m_state->stopping = true;
    m_state->jobArrived.notify_all();
}

int WorkerThreads::run(std::function<void()> job) {
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->unclaimed > 0) {
            --m_state->unclaimed;
            m_state->jobs.push_back(std::move(job));
            m_state->jobArrived.notify_one();
            return 0;
        }
        ++m_state->threads;
    }

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, m_state->stackSize);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    auto* start = new ThreadStart{m_state, std::move(job)};
    pthread_t thread;
    const int error = pthread_create(&thread, &attributes, &WorkerThreads::threadMain, start);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        delete start;
        std::lock_guard lock(m_state->mutex);
        --m_state->threads;
    }
    return error;
}

std::size_t WorkerThreads::threadCount() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->threads;
}

std::size_t WorkerThreads::idleThreads() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->unclaimed;
}

void* WorkerThreads::threadMain(void* start) {
    std::unique_ptr<ThreadStart> owned(static_cast<ThreadStart*>(start));
    serve(std::static_pointer_cast<State>(owned->state), std::move(owned->job));
    return nullptr;
}

void WorkerThreads::serve(const std::shared_ptr<State>& state, std::function<void()> job) {
    for (;;) {
        job();
        job = nullptr;

        std::unique_lock lock(state->mutex);
        ++state->unclaimed;
        state->jobArrived.wait_for(lock, state->idleTimeout,
                                   [&] { return !state->jobs.empty() || state->stopping; });
        // A job queued for this thread is taken even when stopping: the one
        // who queued it was promised a thread.
        if (!state->jobs.empty()) {
            job = std::move(state->jobs.front());
            state->jobs.pop_front();
            continue;
        }
        --state->unclaimed;
        --state->threads;
        return;
    }
}

}  // namespace halvane
