#include <gtest/gtest.h>

#include <QObject>
#include <QTimer>
#include <memory>
#include <vector>

#include "Halvane/Sessions/DelayedTask.h"
#include "QtTestEnvironment.h"

using halvane::DelayedTask;
using halvane::test::qtApplication;
using halvane::test::waitUntil;
using namespace std::chrono_literals;

namespace {

// Waits until a marker that was started after the task, with a longer delay,
// has fired: by then the task would have run if it were going to.
void waitPast(std::chrono::milliseconds delay) {
    bool passed = false;
    QTimer::singleShot(delay, Qt::PreciseTimer, &qtApplication(), [&passed] { passed = true; });
    ASSERT_TRUE(waitUntil([&passed] { return passed; }));
}

// Timers need the application object before the first one starts.
class DelayedTaskTest : public ::testing::Test {
protected:
    DelayedTaskTest() { qtApplication(); }
};

}  // namespace

TEST_F(DelayedTaskTest, RunsItsBodyOnceAfterTheDelay) {
    QObject owner;
    DelayedTask task(&owner);
    int runs = 0;
    task.start(20ms, [&runs] { ++runs; });
    EXPECT_TRUE(task.isActive());
    ASSERT_TRUE(waitUntil([&runs] { return runs == 1; }));
    EXPECT_FALSE(task.isActive());
    waitPast(60ms);
    EXPECT_EQ(runs, 1);
}

TEST_F(DelayedTaskTest, StartingAgainReplacesTheWaitingBody) {
    QObject owner;
    DelayedTask task(&owner);
    std::vector<char> ran;
    task.start(20ms, [&ran] { ran.push_back('a'); });
    task.start(40ms, [&ran] { ran.push_back('b'); });
    waitPast(100ms);
    EXPECT_EQ(ran, std::vector<char>{'b'});
}

TEST_F(DelayedTaskTest, ACancelledTaskNeverRuns) {
    QObject owner;
    DelayedTask task(&owner);
    bool ran = false;
    task.start(20ms, [&ran] { ran = true; });
    task.cancel();
    EXPECT_FALSE(task.isActive());
    waitPast(60ms);
    EXPECT_FALSE(ran);
}

TEST_F(DelayedTaskTest, NothingRunsOnceTheOwnerIsGone) {
    auto owner = std::make_unique<QObject>();
    DelayedTask task(owner.get());
    bool ran = false;
    task.start(20ms, [&ran] { ran = true; });
    owner.reset();
    waitPast(60ms);
    EXPECT_FALSE(ran);
}

TEST_F(DelayedTaskTest, ADestroyedTaskNeverRuns) {
    QObject owner;
    bool ran = false;
    {
        DelayedTask task(&owner);
        task.start(20ms, [&ran] { ran = true; });
    }
    waitPast(60ms);
    EXPECT_FALSE(ran);
}

TEST_F(DelayedTaskTest, TheBodyMayStartItsOwnTaskAgain) {
    QObject owner;
    DelayedTask task(&owner);
    int runs = 0;
    std::function<void()> tick = [&] {
        if (++runs < 3) {
            task.start(5ms, tick);
        }
    };
    task.start(5ms, tick);
    ASSERT_TRUE(waitUntil([&runs] { return runs == 3; }));
    EXPECT_FALSE(task.isActive());
}
