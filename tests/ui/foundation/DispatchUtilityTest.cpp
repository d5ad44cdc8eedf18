// Background blocks and the waits that keep the main run loop turning.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/foundation/NSRunLoop.h"
#include "ui/foundation/DispatchUtility.h"

namespace {

class DispatchUtilityTest : public ::testing::Test {
protected:
    void SetUp() override { NSRunLoop::mainRunLoop().useManualClock(0); }
    void TearDown() override { NSRunLoop::mainRunLoop().runUntilIdle(); }
};

TEST_F(DispatchUtilityTest, WaitOnTheMainThreadServesWorkTheBlocksSendBack) {
    DispatchUtility utility;
    std::atomic<bool> mainRan{false}, workerDone{false};
    utility.performBlockAsync([&] {
        // Waits for the main thread to serve its queue while it waits for the group.
        DispatchUtility::performBlockOnMainThread([&] { mainRan = NSThread::isMainThread(); }, true);
        workerDone = true;
    });
    utility.waitForCompletion();
    EXPECT_TRUE(mainRan);
    EXPECT_TRUE(workerDone);
}

TEST_F(DispatchUtilityTest, CompletionsRunOnTheMainQueueAfterTheGroup) {
    DispatchUtility utility;
    std::atomic<int> order{0};
    int completionSaw = -1;
    bool onMain = false;
    utility.performBlockAsync([&] { order = 1; },
                              [&] {
                                  completionSaw = order;
                                  onMain = NSThread::isMainThread();
                              });
    utility.waitForCompletion();
    // The completion reaches the main queue only once the group has emptied.
    while (completionSaw < 0) NSRunLoop::mainRunLoop().runOnce();
    EXPECT_EQ(completionSaw, 1);
    EXPECT_TRUE(onMain);

    bool after = false;
    utility.performBlockAsyncAndWaitForCompletion([&] { order = 2; }, [&] { after = order == 2; });
    while (!after) NSRunLoop::mainRunLoop().runOnce();
}

TEST_F(DispatchUtilityTest, EventWaits) {
    DispatchUtility utility;
    // No event: signal and wait do nothing.
    utility.signalEventCompletion();
    utility.waitForEventCompletion();
    EXPECT_FALSE(utility.waitingForEventCompletion());

    // Signalled before the wait: the wait returns at once and ends the event.
    utility.beginWaitingForEventCompletion();
    EXPECT_TRUE(utility.waitingForEventCompletion());
    utility.signalEventCompletion();
    utility.waitForEventCompletion();
    EXPECT_FALSE(utility.waitingForEventCompletion());

    // Signalled from another thread through the main queue while the main thread waits.
    auto owned = DispatchUtility::beginWaitingForEventCompletionUtility();
    DispatchUtility* waiting = owned.get();
    std::thread worker([waiting] {
        DispatchUtility::performBlockOnMainThread([waiting] { waiting->signalEventCompletion(); }, false);
    });
    DispatchUtility::waitForEventCompletionAndRelease(std::move(owned));
    worker.join();
}

TEST_F(DispatchUtilityTest, WaitingMainThreadDispatchFromTheMainThreadRunsAtOnce) {
    bool ran = false;
    DispatchUtility::performBlockOnMainThread([&] { ran = true; }, true);
    EXPECT_TRUE(ran);
    bool posted = false;
    DispatchUtility::performBlockOnMainThread([&] { posted = true; }, false);
    EXPECT_FALSE(posted);
    NSRunLoop::mainRunLoop().runOnce();
    EXPECT_TRUE(posted);
}

}  // namespace
