// The main run loop on a manual clock: what runs, when, and in which order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/NSRunLoop.h"

namespace {

class RunLoopTest : public ::testing::Test {
protected:
    void SetUp() override { loop.useManualClock(100); }
    void TearDown() override {
        loop.advance(3600);  // nothing a test left behind reaches the next test
        EXPECT_EQ(loop.pendingTimerCount(), 0u);
    }
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    std::vector<std::string> log;
};

TEST_F(RunLoopTest, TimersFireAtTheirOwnTimesInOrder) {
    std::vector<double> seen;
    auto record = [&](std::string name) {
        return [&, name](NSTimer&) {
            log.push_back(name);
            seen.push_back(loop.now() - 100);
        };
    };
    auto repeating = NSTimer::scheduledTimerWithTimeInterval(0.25, true, record("r"));
    NSTimer::scheduledTimerWithTimeInterval(0.6, false, record("once"));
    // Due at the same time as r's second firing, and scheduled before r was rescheduled for it.
    NSTimer::scheduledTimerWithTimeInterval(0.5, false, record("half"));

    loop.advance(0.4);
    EXPECT_EQ(log, (std::vector<std::string>{"r"}));
    EXPECT_DOUBLE_EQ(loop.now(), 100.4);
    loop.advance(0.6);
    EXPECT_EQ(log, (std::vector<std::string>{"r", "half", "r", "once", "r", "r"}));
    const std::vector<double> expected{0.25, 0.5, 0.5, 0.6, 0.75, 1.0};
    ASSERT_EQ(seen.size(), expected.size());
    for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_NEAR(seen[i], expected[i], 1e-9) << i;
    EXPECT_TRUE(repeating->isValid());
    repeating->invalidate();
    loop.advance(1);
    EXPECT_EQ(log.size(), 6u);
}

TEST_F(RunLoopTest, OneShotTimerIsInvalidatedAfterFiringAndMayInvalidateItselfEarly) {
    auto once = NSTimer::scheduledTimerWithTimeInterval(1, false, [&](NSTimer&) { log.push_back("once"); });
    int count = 0;
    auto selfStopping = NSTimer::scheduledTimerWithTimeInterval(0.1, true, [&](NSTimer& t) {
        if (++count == 3) t.invalidate();
    });
    loop.advance(2);
    EXPECT_EQ(log.size(), 1u);
    EXPECT_FALSE(once->isValid());
    EXPECT_EQ(count, 3);
    EXPECT_FALSE(selfStopping->isValid());
}

TEST_F(RunLoopTest, TimerUserInfoFireDateAndNonPositiveInterval) {
    auto timer = NSTimer::timerWithTimeInterval(
        -1, false, [&](NSTimer& t) { log.push_back(std::any_cast<std::string>(t.userInfo())); }, std::string("name"));
    EXPECT_DOUBLE_EQ(timer->timeInterval(), 0.0001);
    timer->setFireDate(105);
    loop.addTimer(timer, NSDefaultRunLoopMode);
    loop.advance(4.9);
    EXPECT_TRUE(log.empty());
    loop.advance(0.1);
    EXPECT_EQ(log, std::vector<std::string>{"name"});
}

TEST_F(RunLoopTest, MainQueueTasksRunInOrderAndLaterPostsRunInTheNextPass) {
    loop.performBlock([&] {
        log.push_back("a");
        loop.performBlock([&] { log.push_back("c"); });
    });
    loop.performBlock([&] { log.push_back("b"); });
    EXPECT_TRUE(loop.runOnce());
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
    loop.runUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_FALSE(loop.runOnce());
    EXPECT_DOUBLE_EQ(loop.now(), 100);  // running never moves a manual clock
}

TEST_F(RunLoopTest, DelayedPerformsAreCancelledByTargetOrByKey) {
    int a = 0, b = 0;
    loop.performAfterDelay(&a, "focus", 6, [&] { log.push_back("a-focus"); });
    loop.performAfterDelay(&a, "hide", 2, [&] { log.push_back("a-hide"); });
    loop.performAfterDelay(&b, "focus", 6, [&] { log.push_back("b-focus"); });
    loop.advance(1);
    loop.cancelPreviousPerformRequests(&a, "focus");
    loop.advance(10);
    EXPECT_EQ(log, (std::vector<std::string>{"a-hide", "b-focus"}));

    log.clear();
    loop.performAfterDelay(&a, "x", 1, [&] { log.push_back("a-x"); });
    loop.performAfterDelay(&a, "y", 1, [&] { log.push_back("a-y"); });
    loop.performAfterDelay(&b, "x", 1, [&] { log.push_back("b-x"); });
    loop.cancelPreviousPerformRequests(&a);
    loop.advance(2);
    EXPECT_EQ(log, (std::vector<std::string>{"b-x"}));
}

TEST_F(RunLoopTest, CancellingFromAnEarlierPerformOfTheSamePassStopsTheLaterOne) {
    int target = 0;
    loop.performAfterDelay(&target, "first", 1, [&] {
        log.push_back("first");
        loop.cancelPreviousPerformRequests(&target, "second");
    });
    loop.performAfterDelay(&target, "second", 1, [&] { log.push_back("second"); });
    loop.advance(1);
    EXPECT_EQ(log, std::vector<std::string>{"first"});
}

// Posts to the loop when destroyed, as a released capture may.
struct PostsWhenDestroyed {
    std::vector<std::string>* log;
    ~PostsWhenDestroyed() {
        NSRunLoop::mainRunLoop().performBlock([log = log] { log->push_back("released"); });
    }
};

TEST_F(RunLoopTest, ReleasingWhatATimerHeldMayCallBackIntoTheLoop) {
    int target = 0;
    auto captured = std::shared_ptr<PostsWhenDestroyed>(new PostsWhenDestroyed{&log});
    loop.performAfterDelay(&target, "k", 1, [captured] {});
    auto timer = NSTimer::scheduledTimerWithTimeInterval(
        1, true, [](NSTimer&) {}, std::shared_ptr<PostsWhenDestroyed>(new PostsWhenDestroyed{&log}));
    captured.reset();
    loop.cancelPreviousPerformRequests(&target);
    timer->invalidate();
    timer.reset();
    loop.runUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"released", "released"}));
}

TEST_F(RunLoopTest, TimersRunOnlyInTheirModes) {
    const NSRunLoopMode tracking = "UITrackingRunLoopMode";
    loop.addCommonMode(tracking);
    auto plain = NSTimer::timerWithTimeInterval(1, false, [&](NSTimer&) { log.push_back("default"); });
    auto common = NSTimer::timerWithTimeInterval(1, false, [&](NSTimer&) { log.push_back("common"); });
    loop.addTimer(plain, NSDefaultRunLoopMode);
    loop.addTimer(common, NSRunLoopCommonModes);
    loop.performBlock([&] { log.push_back("task:" + loop.currentMode()); });
    loop.advance(2, tracking);
    EXPECT_EQ(log, (std::vector<std::string>{"task:" + tracking, "common"}));
    loop.runUntilIdle();
    EXPECT_EQ(log.back(), "default");
}

TEST_F(RunLoopTest, ObserversRunAfterEveryPassAndReportWork) {
    int pending = 2, runs = 0;
    int id = loop.addObserver([&] {
        ++runs;
        return pending > 0 && pending-- > 0;
    });
    loop.runUntilIdle();
    EXPECT_EQ(pending, 0);
    EXPECT_EQ(runs, 3);
    loop.removeObserver(id);
    loop.runUntilIdle();
    EXPECT_EQ(runs, 3);
}

TEST(RunLoopRealClock, RunUntilDateWaitsForTimersAndStops) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    loop.useRealClock();
    bool fired = false;
    NSTimer::scheduledTimerWithTimeInterval(0.02, false, [&](NSTimer&) {
        fired = true;
        loop.stop();
    });
    double start = loop.now();
    loop.runUntilDate(start + 30);
    EXPECT_TRUE(fired);
    EXPECT_GE(loop.now(), start + 0.02);
    EXPECT_TRUE(NSThread::isMainThread());
}

}  // namespace
