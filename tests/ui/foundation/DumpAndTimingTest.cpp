// Text dumps of objects through their class chain, and the timing span.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/foundation/NSRunLoop.h"
#include "ui/foundation/LogUtility.h"
#include "ui/foundation/PropertyClasses.h"

using fixtures::Labelled;
using fixtures::Point2;

namespace {

std::string heading(const NSObject& o) {
    char text[64];
    std::snprintf(text, sizeof text, "\n%s (%p): \n", o.objectClass().name.c_str(), static_cast<const void*>(&o));
    return text;
}

TEST(DumpTest, LinesFollowTheClassChainAndSurviveAFailingGetter) {
    Labelled object;
    object.setLabel("Sky 2");
    object.flag = true;
    object.x = 3;
    object.y = 0.25;
    EXPECT_EQ(StringUtility::stringForInstance(object), heading(object) + "label = Sky 2\nflag = 1\nx = 3\ny = 0.25\n");
    object.failing = true;
    EXPECT_EQ(LogUtility::stringForInstance(object, Labelled::cls()), "label = ???\nflag = 1\nx = 3\ny = 0.25\n");
    // Directly under the root: its own lines only.
    Point2 p;
    EXPECT_EQ(StringUtility::stringForInstance(p), heading(p) + "x = 0\ny = 0\n");
}

TEST(TimingTest, MeasuresOnTheRunLoopClock) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    loop.useManualClock(10);
    LogUtility::startTiming();
    loop.advance(1.5);
    EXPECT_DOUBLE_EQ(LogUtility::timingDuration(), 1.5);
    testing::internal::CaptureStderr();
    LogUtility::stopTiming();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "1.500000\n");
}

}  // namespace
