#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <latch>
#include <mutex>
#include <set>
#include <thread>

#include "Halvane/Sessions/WorkerThreads.h"
#include "Polling.h"

using namespace halvane;
using namespace std::chrono_literals;
using halvane::test::pollUntil;

TEST(WorkerThreads, EveryJobRunsAtOnceOnAThreadOfItsOwn) {
    WorkerThreads workers;
    constexpr int jobs = 8;
    std::latch allStarted(jobs);
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::mutex mutex;
    std::set<std::thread::id> threads;
    for (int index = 0; index < jobs; ++index) {
        ASSERT_EQ(workers.run([&, released] {
            {
                std::lock_guard lock(mutex);
                threads.insert(std::this_thread::get_id());
            }
            allStarted.count_down();
            released.wait_for(30s);
        }),
                  0);
    }
    // Each job blocks until all have started: a job queued behind another
    // would never start.
    EXPECT_TRUE(pollUntil([&] { return allStarted.try_wait(); }));
    release.set_value();
    std::lock_guard lock(mutex);
    EXPECT_EQ(threads.size(), static_cast<std::size_t>(jobs));
    EXPECT_EQ(workers.threadCount(), static_cast<std::size_t>(jobs));
}

TEST(WorkerThreads, AFinishedThreadTakesTheNextJob) {
    WorkerThreads workers;
    std::promise<std::thread::id> first, second;
    ASSERT_EQ(workers.run([&] { first.set_value(std::this_thread::get_id()); }), 0);
    const std::thread::id firstThread = first.get_future().get();
    ASSERT_TRUE(pollUntil([&] { return workers.idleThreads() == 1; }));

    ASSERT_EQ(workers.run([&] { second.set_value(std::this_thread::get_id()); }), 0);
    EXPECT_EQ(second.get_future().get(), firstThread);
    EXPECT_EQ(workers.threadCount(), 1u);
}

TEST(WorkerThreads, IdleThreadsLeaveAfterTheIdleTimeOut) {
    WorkerThreads workers(50ms);
    std::latch done(3);
    for (int index = 0; index < 3; ++index) {
        ASSERT_EQ(workers.run([&] { done.count_down(); }), 0);
    }
    done.wait();
    EXPECT_TRUE(pollUntil([&] { return workers.threadCount() == 0; }));
    EXPECT_EQ(workers.idleThreads(), 0u);
}

TEST(WorkerThreads, GoingAwayDoesNotWaitForARunningJob) {
    std::promise<void> release;
    std::promise<void> finished;
    {
        WorkerThreads workers(std::chrono::hours(1));
        ASSERT_EQ(workers.run([&] {
            release.get_future().wait();
            finished.set_value();
        }),
                  0);
    }
    // The pool is gone; the job still runs to its end on its own thread.
    release.set_value();
    EXPECT_EQ(finished.get_future().wait_for(20s), std::future_status::ready);
}
