// The aspect-fit rectangle.
#include <gtest/gtest.h>

#include "platform/avfoundation/AVUtilities.h"

TEST(AVUtilitiesTest, TheAspectRectIsTheLargestCentredFit) {
    const struct {
        CGSize aspect;
        CGRect bounds;
        CGRect fit;
    } cases[] = {
        {{4, 3}, {{0, 0}, {100, 100}}, {{0, 12.5}, {100, 75}}},  // wide picture: bars above and below
        {{3, 4}, {{0, 0}, {100, 100}}, {{12.5, 0}, {75, 100}}},  // tall picture: bars at the sides
        {{8, 6}, {{10, 20}, {40, 30}}, {{10, 20}, {40, 30}}},    // same proportions: the rectangle
        {{1, 1}, {{-50, 0}, {200, 100}}, {{0, 0}, {100, 100}}},  // centred along the longer side
        {{400, 300}, {{0, 0}, {8, 8}}, {{0, 1}, {8, 6}}},        // only the ratio counts
        {{0, 0}, {{0, 0}, {100, 60}}, {{50, 30}, {0, 0}}},       // no picture: empty at the centre
    };
    for (const auto& c : cases) {
        const CGRect r = AVMakeRectWithAspectRatioInsideRect(c.aspect, c.bounds);
        EXPECT_DOUBLE_EQ(r.origin.x, c.fit.origin.x) << c.aspect.width << "x" << c.aspect.height;
        EXPECT_DOUBLE_EQ(r.origin.y, c.fit.origin.y) << c.aspect.width << "x" << c.aspect.height;
        EXPECT_DOUBLE_EQ(r.size.width, c.fit.size.width) << c.aspect.width << "x" << c.aspect.height;
        EXPECT_DOUBLE_EQ(r.size.height, c.fit.size.height) << c.aspect.width << "x" << c.aspect.height;
    }
}
