// Throttles and bursts on the manual clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "ui/foundation/NSObject+DebounceUtility.h"

namespace {

class DebounceUtilityTest : public ::testing::Test {
protected:
    void SetUp() override { loop.useManualClock(0); }
    void TearDown() override {
        loop.advance(60);
        EXPECT_EQ(loop.pendingTimerCount(), 0u);
    }
    // A block that records its name and the time it ran.
    DebounceUtility::Block record(std::string name) {
        return [this, name] { log.push_back(name + "@" + std::to_string(static_cast<int>(loop.now() * 1000 + 0.5))); };
    }
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    std::vector<std::string> log;
};

TEST_F(DebounceUtilityTest, ThrottleRunsTheFirstBlockOfEachIntervalAtItsEnd) {
    DebounceUtility::executeBlock(record("a"), 0.175);
    loop.advanceTo(0.05);
    DebounceUtility::executeBlock(record("b"), 0.175);
    loop.advanceTo(0.10);
    DebounceUtility::executeBlock(record("c"), 0.175);
    loop.advanceTo(0.20);
    EXPECT_EQ(log, (std::vector<std::string>{"a@175"}));
    DebounceUtility::executeBlock(record("d"), 0.175);
    loop.advanceTo(1);
    EXPECT_EQ(log, (std::vector<std::string>{"a@175", "d@375"}));
}

TEST_F(DebounceUtilityTest, IdentifiersThrottleIndependentlyAndEmptyBlocksAreHarmless) {
    DebounceUtility::executeBlock(record("one"), "first", 0.1);
    DebounceUtility::executeBlock(record("two"), "second", 0.3);
    DebounceUtility::executeBlock(nullptr, "third", 0.1);
    DebounceUtility::executeBlock(record("lost"), "third", 0.1);
    EXPECT_TRUE(DebounceUtility::isPending("third"));
    loop.advance(1);
    EXPECT_EQ(log, (std::vector<std::string>{"one@100", "two@300"}));
    EXPECT_FALSE(DebounceUtility::isPending("third"));
}

TEST_F(DebounceUtilityTest, BlockMayStartTheNextIntervalOfItsIdentifier) {
    DebounceUtility::executeBlock([&] { DebounceUtility::executeBlock(record("again"), "x", 0.1); }, "x", 0.1);
    loop.advance(1);
    EXPECT_EQ(log, (std::vector<std::string>{"again@200"}));
}

TEST_F(DebounceUtilityTest, BurstRunsFirstAtOnceAndTheKeptSecondAfterTheLastCall) {
    DebounceUtility::executeBlockOnlyOnce(record("first1"), record("then1"), 0.5);
    loop.advanceTo(0.3);
    DebounceUtility::executeBlockOnlyOnce(record("first2"), record("then2"), 0.5);
    loop.advanceTo(0.6);
    DebounceUtility::executeBlockOnlyOnce(record("first3"), record("then3"), 0.5);
    loop.advanceTo(3);
    EXPECT_EQ(log, (std::vector<std::string>{"first1@0", "then1@1100"}));
    // A new burst, with an empty second block: it still spans the burst and runs nothing.
    DebounceUtility::executeBlockOnlyOnce(record("first4"), nullptr, 0.5);
    loop.advanceTo(3.2);
    DebounceUtility::executeBlockOnlyOnce(record("first5"), record("then5"), 0.5);
    loop.advanceTo(5);
    EXPECT_EQ(log, (std::vector<std::string>{"first1@0", "then1@1100", "first4@3000"}));
}

}  // namespace
