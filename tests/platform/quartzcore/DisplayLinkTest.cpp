// The display link on the manual clock: the refresh grid, intervals, pausing, invalidation.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CADisplayLink.h"

namespace {

class DisplayLinkTest : public ::testing::Test {
protected:
    void SetUp() override { loop.useManualClock(1); }
    void TearDown() override {
        loop.advance(1);
        EXPECT_EQ(loop.pendingTimerCount(), 0u);
    }
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
};

TEST_F(DisplayLinkTest, FiresOnTheRefreshGridEveryFrameIntervalRefreshes) {
    std::vector<double> stamps;
    auto link = CADisplayLink::displayLinkWithTarget([&](CADisplayLink& l) { stamps.push_back(l.timestamp()); });
    link->addToRunLoop(loop, NSDefaultRunLoopMode);
    link->addToRunLoop(loop, NSDefaultRunLoopMode);  // once only
    loop.advance(0.1);
    ASSERT_EQ(stamps.size(), 6u);
    EXPECT_NEAR(stamps.front(), 61 / 60.0, 1e-9);
    EXPECT_NEAR(stamps.back(), 66 / 60.0, 1e-9);
    EXPECT_NEAR(link->targetTimestamp() - link->timestamp(), 1 / 60.0, 1e-12);

    stamps.clear();
    link->setFrameInterval(0);  // refused
    EXPECT_EQ(link->frameInterval(), 1);
    link->setFrameInterval(2);
    loop.advance(0.2);
    EXPECT_EQ(stamps.size(), 6u);  // 30 per second
    EXPECT_NEAR(stamps[1] - stamps[0], 2 / 60.0, 1e-9);

    link->setPaused(true);
    stamps.clear();
    loop.advance(1);
    EXPECT_TRUE(stamps.empty());
    link->setPaused(false);
    loop.advance(2 / 60.0 + 1e-9);
    EXPECT_EQ(stamps.size(), 1u);
    link->invalidate();
    EXPECT_FALSE(link->isValid());
}

TEST_F(DisplayLinkTest, RunLoopKeepsTheLinkUntilItInvalidatesItself) {
    auto owner = std::make_shared<int>(0);
    std::weak_ptr<int> watched = owner;
    int frames = 0;
    {
        auto link = CADisplayLink::displayLinkWithTarget([&frames, owner](CADisplayLink& l) {
            if (++frames == 3) l.invalidate();
        });
        link->addToRunLoop(loop, NSRunLoopCommonModes);
    }
    owner.reset();
    EXPECT_FALSE(watched.expired());  // held through the run loop
    loop.advance(1);
    EXPECT_EQ(frames, 3);
    EXPECT_TRUE(watched.expired());  // released with the block
}

TEST_F(DisplayLinkTest, OnlyInTheModesItWasAddedTo) {
    int frames = 0;
    auto link = CADisplayLink::displayLinkWithTarget([&](CADisplayLink&) { ++frames; });
    link->addToRunLoop(loop, NSDefaultRunLoopMode);
    loop.advance(0.5, "UITrackingRunLoopMode");
    EXPECT_EQ(frames, 0);
    link->removeFromRunLoop(loop, NSDefaultRunLoopMode);
    loop.advance(0.5);
    EXPECT_EQ(frames, 0);
    link->invalidate();
}

}  // namespace
