#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

namespace halvane {

// Runs every job at once on a thread of its own, for as long as the job takes:
// no job ever waits behind another, which matters when jobs block for many
// seconds. A thread whose job is done waits a while for the next one instead
// of exiting, so a burst of jobs does not pay for creating a thread each.
// Threads have small stacks (the jobs read a socket, decode a line and wait)
// and hold the pool's state jointly, so destroying the pool never waits for
// a running job: idle threads leave at once, busy ones after their job.
class WorkerThreads final {
public:
    static constexpr std::size_t defaultStackSize = 256 * 1024;

    explicit WorkerThreads(std::chrono::milliseconds idleTimeout = std::chrono::seconds(10),
                           std::size_t stackSize = defaultStackSize);
    ~WorkerThreads();
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    // Starts job on an idle thread or a new one. Returns 0, or the error
    // number when no thread could be created; the job then never runs.
    int run(std::function<void()> job);

    // Threads alive: running a job or idle.
    std::size_t threadCount() const;
    // Threads waiting for a job that no queued job is promised to yet.
    std::size_t idleThreads() const;

private:
    struct State;
    static void* threadMain(void* start);
    static void serve(const std::shared_ptr<State>& state, std::function<void()> job);

    std::shared_ptr<State> m_state;
};

}  // namespace halvane
