// Queues, groups and semaphores, and their hand-offs to the main run loop.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NSRunLoop.h"

namespace {

class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override { loop.useManualClock(50); }
    void TearDown() override { loop.advance(3600); }
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
};

TEST_F(DispatchTest, GlobalWorkHandsItsResultToTheMainQueue) {
    auto group = dispatch_group_create();
    std::atomic<bool> workerWasMain{true};
    bool resultOnMain = false;
    int result = 0;
    dispatch_group_async(group, dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0), [&] {
        workerWasMain = NSThread::isMainThread();
        int sum = 0;
        for (int i = 1; i <= 100; ++i) sum += i;
        dispatch_async(dispatch_get_main_queue(), [&, sum] {
            resultOnMain = NSThread::isMainThread();
            result = sum;
        });
    });
    ASSERT_EQ(dispatch_group_wait(group, DISPATCH_TIME_FOREVER), 0);
    EXPECT_EQ(result, 0);  // the main queue has not turned yet
    loop.runUntilIdle();
    EXPECT_FALSE(workerWasMain);
    EXPECT_TRUE(resultOnMain);
    EXPECT_EQ(result, 5050);
}

TEST_F(DispatchTest, DispatchAfterFollowsTheManualClockOnEveryQueue) {
    std::vector<std::string> log;
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 2 * NSEC_PER_SEC), dispatch_get_main_queue(),
                   [&] { log.push_back("main@" + std::to_string(loop.now())); });
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 10 * NSEC_PER_MSEC), dispatch_get_main_queue(),
                   [&] { log.push_back("soon"); });
    auto done = dispatch_semaphore_create(0);
    std::atomic<bool> backgroundRan{false};
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 1 * NSEC_PER_SEC), dispatch_get_global_queue(0, 0), [&] {
        backgroundRan = true;
        dispatch_semaphore_signal(done);
    });
    loop.advance(0.5);
    EXPECT_EQ(log, std::vector<std::string>{"soon"});
    EXPECT_FALSE(backgroundRan);
    loop.advance(0.5);
    EXPECT_EQ(dispatch_semaphore_wait(done, DISPATCH_TIME_FOREVER), 0);
    EXPECT_TRUE(backgroundRan);
    loop.advance(1);
    EXPECT_EQ(log, (std::vector<std::string>{"soon", "main@" + std::to_string(52.0)}));
}

TEST_F(DispatchTest, SerialQueueRunsOneBlockAtATimeInOrder) {
    auto queue = dispatch_queue_create("serial");
    std::vector<int> order;
    std::atomic<int> running{0};
    bool overlapped = false;
    for (int i = 0; i < 50; ++i)
        dispatch_async(queue, [&, i] {
            if (++running > 1) overlapped = true;
            order.push_back(i);
            --running;
        });
    dispatch_sync(queue, [] {});
    ASSERT_EQ(order.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(order[i], i);
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(dispatch_queue_get_label(queue), "serial");
}

TEST_F(DispatchTest, SyncToMainFromAWorkerWaitsForTheMainLoop) {
    std::atomic<bool> finished{false};
    bool ranOnMain = false;
    std::thread worker([&] {
        dispatch_sync(dispatch_get_main_queue(), [&] { ranOnMain = NSThread::isMainThread(); });
        finished = true;
    });
    while (!finished) loop.runOnce();  // the main thread keeps turning while it waits
    worker.join();
    EXPECT_TRUE(ranOnMain);
    bool inlineRan = false;
    dispatch_sync(dispatch_get_main_queue(), [&] { inlineRan = true; });  // on main: at once
    EXPECT_TRUE(inlineRan);
}

TEST_F(DispatchTest, GroupNotifyRunsOnceTheGroupEmpties) {
    auto group = dispatch_group_create();
    std::vector<std::string> log;
    dispatch_group_enter(group);
    dispatch_group_notify(group, dispatch_get_main_queue(), [&] { log.push_back("notified"); });
    EXPECT_NE(dispatch_group_wait(group, DISPATCH_TIME_NOW), 0);
    loop.runUntilIdle();
    EXPECT_TRUE(log.empty());
    dispatch_group_leave(group);
    dispatch_group_leave(group);  // unbalanced: ignored
    EXPECT_EQ(dispatch_group_wait(group, DISPATCH_TIME_NOW), 0);
    loop.runUntilIdle();
    EXPECT_EQ(log, std::vector<std::string>{"notified"});
    dispatch_group_notify(group, dispatch_get_main_queue(), [&] { log.push_back("empty"); });
    loop.runUntilIdle();
    EXPECT_EQ(log.back(), "empty");
}

TEST_F(DispatchTest, SemaphoreCountsSignalsAndTimesOut) {
    EXPECT_EQ(dispatch_semaphore_create(-1), nullptr);
    auto semaphore = dispatch_semaphore_create(1);
    EXPECT_EQ(dispatch_semaphore_wait(semaphore, DISPATCH_TIME_NOW), 0);
    EXPECT_NE(dispatch_semaphore_wait(semaphore, DISPATCH_TIME_NOW), 0);
    EXPECT_NE(dispatch_semaphore_wait(semaphore, dispatch_time(DISPATCH_TIME_NOW, 5 * NSEC_PER_MSEC)), 0);
    dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_HIGH, 0),
                   [semaphore] { dispatch_semaphore_signal(semaphore); });
    EXPECT_EQ(dispatch_semaphore_wait(semaphore, DISPATCH_TIME_FOREVER), 0);
}

TEST_F(DispatchTest, ManyConcurrentBlocksAllRun) {
    auto group = dispatch_group_create();
    std::atomic<int> count{0};
    for (long priority : {DISPATCH_QUEUE_PRIORITY_HIGH, DISPATCH_QUEUE_PRIORITY_DEFAULT, DISPATCH_QUEUE_PRIORITY_LOW,
                          DISPATCH_QUEUE_PRIORITY_BACKGROUND})
        for (int i = 0; i < 100; ++i)
            dispatch_group_async(group, dispatch_get_global_queue(priority, 0), [&] { ++count; });
    EXPECT_EQ(dispatch_group_wait(group, DISPATCH_TIME_FOREVER), 0);
    EXPECT_EQ(count, 400);
}

}  // namespace
