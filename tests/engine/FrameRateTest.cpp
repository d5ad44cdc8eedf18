#include <gtest/gtest.h>

#include "engine/FrameRate.h"

namespace {

// A meter over a clock the test advances by hand, in milliseconds.
struct ManualClock {
    uint64_t now = 1000;
    FrameRate meter{[this] { return now; }, 1e-3};
};

TEST(FrameRate, RateOverTheStampsHeld) {
    ManualClock clock;
    EXPECT_EQ(clock.meter.GetFrameRate(), 0.0);
    clock.meter.Tick();
    EXPECT_EQ(clock.meter.GetFrameRate(), 0.0) << "one stamp spans no interval";
    clock.now += 40;
    clock.meter.Tick();
    EXPECT_DOUBLE_EQ(clock.meter.GetFrameRate(), 25.0);
}

TEST(FrameRate, RingKeepsTheLastCapacityStamps) {
    ManualClock clock;
    // 33 ticks 10 ms apart, then one slow frame: the ring holds the last 32 stamps.
    for (int i = 0; i < 33; ++i) {
        clock.meter.Tick();
        clock.now += 10;
    }
    EXPECT_EQ(clock.meter.GetStampCount(), 32u);
    EXPECT_EQ(clock.meter.GetTickCount(), 33u);
    EXPECT_NEAR(clock.meter.GetFrameRate(), 31.0 / 0.31, 1e-9);

    clock.now += 90;  // the next frame comes 100 ms after the one before
    clock.meter.Tick();
    EXPECT_NEAR(clock.meter.GetFrameRate(), 31.0 / (0.30 + 0.10), 1e-9);
}

TEST(FrameRate, ResetEmptiesTheRingAndKeepsTheCapacity) {
    ManualClock clock;
    clock.meter.Reset(4);
    for (int i = 0; i < 6; ++i) {
        clock.meter.Tick();
        clock.now += 5;
    }
    EXPECT_EQ(clock.meter.GetStampCount(), 4u);
    clock.meter.Reset();
    EXPECT_EQ(clock.meter.GetCapacity(), 4u);
    EXPECT_EQ(clock.meter.GetStampCount(), 0u);
    EXPECT_EQ(clock.meter.GetTickCount(), 0u);
    EXPECT_EQ(clock.meter.GetFrameRate(), 0.0);
}

TEST(FrameRate, StampsWithoutElapsedTimeGiveZeroNotInfinity) {
    ManualClock clock;
    clock.meter.Tick();
    clock.meter.Tick();
    EXPECT_EQ(clock.meter.GetFrameRate(), 0.0);
}

TEST(FrameRate, DefaultClockMeasuresRealTime) {
    FrameRate meter;
    meter.Tick();
    meter.Tick();
    EXPECT_GE(meter.GetFrameRate(), 0.0);
    EXPECT_EQ(meter.GetCapacity(), FrameRate::kDefaultCapacity);
}

}  // namespace
