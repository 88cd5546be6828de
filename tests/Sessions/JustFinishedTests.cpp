#include <QSignalSpy>
#include <QTimer>
#include <memory>

#include "SessionStoreFixture.h"

using namespace halvane;
using test::SessionStoreTest;
using test::waitUntil;

namespace {

// Runs body on the event loop after delay; used to look at the store at a
// point that lies, in timer order, between two of its own deadlines.
void after(std::chrono::milliseconds delay, std::function<void()> body) {
    QTimer::singleShot(delay, Qt::PreciseTimer, &test::qtApplication(), std::move(body));
}

}  // namespace

TEST_F(SessionStoreTest, JustFinishedClearsAfterTheFlashAndSaysSo) {
    store.handle(stop("a"), ignored());
    ASSERT_EQ(ids(store.justFinished()), std::vector<std::string>{"a"});
    QSignalSpy changes(&store, &SessionStore::changed);
    ASSERT_TRUE(waitUntil([this] { return !session("a").justFinishedAt; }));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_TRUE(store.justFinished().empty());
    EXPECT_EQ(session("a").lastStoppedAt, now) << "only the flash ends";
}

TEST_F(SessionStoreTest, ASecondStopDoesNotPostponeTheFirstStopsClear) {
    // Stops at 0 and 0.5 flash: the first clear is due at 1 flash, the second
    // at 1.5; the look at 1.3 sees the first clear done and the second pending.
    bool sawSecondStop = false;
    std::optional<bool> clearedBeforeSecondDeadline;
    store.handle(stop("a"), ignored());
    after(flash / 2, [&] {
        now += std::chrono::seconds(2);
        store.handle(stop("a"), ignored());
        sawSecondStop = session("a").justFinishedAt == now;
        after(flash * 8 / 10, [&] { clearedBeforeSecondDeadline = !session("a").justFinishedAt; });
    });
    ASSERT_TRUE(waitUntil([&] { return clearedBeforeSecondDeadline.has_value(); }));
    EXPECT_TRUE(sawSecondStop);
    EXPECT_TRUE(*clearedBeforeSecondDeadline);
}

TEST_F(SessionStoreTest, ClearOfAFlashAlreadyEndedChangesNothing) {
    store.handle(stop("a"), ignored());
    store.handle(request("a", "Edit", "{}"), ignored());
    ASSERT_FALSE(session("a").justFinishedAt);
    QSignalSpy changes(&store, &SessionStore::changed);
    bool looked = false;
    after(flash * 2, [&] { looked = true; });
    ASSERT_TRUE(waitUntil([&] { return looked; }));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_TRUE(session("a").status.isWaitingForUser());
}

TEST_F(SessionStoreTest, PendingClearsDieWithTheStore) {
    auto shortLived = std::make_unique<SessionStore>(sounds, preferences, Clock(), flash);
    shortLived->handle(stop("a"), ignored());
    shortLived.reset();
    bool looked = false;
    after(flash * 2, [&] { looked = true; });
    EXPECT_TRUE(waitUntil([&] { return looked; }));
}
