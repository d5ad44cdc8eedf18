// The gradient view on the manual clock: its first look on screen, the colour cycle and its
// chaining, the hue shift, the duration's default, the veil, and the cycle ending with it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CACompositor.h"
#include "support/ImageRegions.h"
#include "ui/appearance/GradientView.h"
#include "ui/appearance/UIColor+ColorUtility.h"

namespace {

class GradientViewTest : public ::testing::Test {
protected:
    void SetUp() override { loop.useManualClock(100); }
    void TearDown() override { loop.runUntilIdle(); }

    CGImageRef shot(const GradientView& view) { return CACompositor::compose(*view.layer(), view.bounds().size, 2); }
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
};

const CGColor kOrange{1, 0.5, 0, 1}, kYellow{1, 1, 0, 1};

TEST_F(GradientViewTest, ADefaultViewIsADiagonalOrangeToYellowGradient) {
    auto view = std::make_shared<GradientView>(CGRectMake(0, 0, 100, 100));
    const CGImageRef image = shot(*view);
    // Start point (1, 1) bottom-right, end point (0, 0) top-left.
    expectColor(meanColorInPoints(image, {{92, 92}, {6, 6}}, 2), kOrange, "bottom-right", 0.06);
    expectColor(meanColorInPoints(image, {{2, 2}, {6, 6}}, 2), kYellow, "top-left", 0.06);
    expectColor(meanColorInPoints(image, {{90, 5}, {6, 6}}, 2), {1, 0.75, 0, 1}, "the other diagonal: halfway", 0.03);
}

TEST_F(GradientViewTest, ColoursAreHalfwayAtSixSecondsOfATwelveSecondCycle) {
    auto view = std::make_shared<GradientView>(CGRectMake(0, 0, 100, 100), 1);  // horizontal
    const std::vector<CGColor> first = view->gradientLayer().colors();
    view->startAnimating();
    const std::vector<CGColor> next = view->gradientLayer().colors();
    ASSERT_EQ(next.size(), 2u);
    EXPECT_EQ(next[0], ColorUtility::equidistantColor(UIColor::orangeColor()).CGColor())
        << "hues moved on by the golden step";
    loop.advance(6);
    const CGColor left = meanColorInPoints(shot(*view), {{0, 40}, {2, 20}}, 2);
    const CGColor expected{(first[0].r + next[0].r) / 2, (first[0].g + next[0].g) / 2, (first[0].b + next[0].b) / 2, 1};
    expectColor(left, expected, "left edge halfway between its colours", 0.03);
    loop.advance(6.01);
    expectColor(meanColorInPoints(shot(*view), {{0, 40}, {2, 20}}, 2), next[0], "arrived", 0.03);
}

TEST_F(GradientViewTest, CycleChainsAfterItsDelayAndStopsIntoTheStopBlock) {
    // A block that ignores its argument: the transition changes nothing visible yet chains.
    int calls = 0;
    auto view = std::make_shared<GradientView>(CGRectMake(0, 0, 50, 50), 0, [&](bool) {
        ++calls;
        return std::vector<UIColor>{UIColor::redColor(), UIColor::blueColor()};
    });
    view->setAnimationDuration(0);
    EXPECT_EQ(view->animationDuration(), 12) << "0 reads as 12";
    view->setAnimationDuration(2);
    view->setAnimationDelay(1);
    int stops = 0;
    view->setAnimationStopBlock([&] { ++stops; });
    view->startAnimating();
    view->startAnimating();  // already running: nothing
    EXPECT_EQ(calls, 2);
    loop.advance(2.01);
    EXPECT_EQ(calls, 2) << "waits for the delay";
    loop.advance(1);
    EXPECT_EQ(calls, 3) << "next cycle";
    view->stopAnimating();
    loop.advance(2.01);
    EXPECT_EQ(stops, 1) << "the running transition ran out";
    EXPECT_EQ(calls, 3);

    view->setColorsBlock(nullptr);  // ignored
    EXPECT_TRUE(view->colorsBlock());
    EXPECT_EQ(view->gradientLayer().colors().size(), 2u);
}

TEST_F(GradientViewTest, HueShiftClampsAndTheVeilFollowsTheDarkness) {
    auto view = std::make_shared<GradientView>(CGRectMake(0, 0, 50, 50), 0,
                                               std::vector<UIColor>{UIColor::colorWithHue(0.8, 1, 1, 1)});
    view->transitionToColorsWithHueShift(0.5);
    // Hue 1.0 is red again; wrapped to 0.3 it would be green.
    expectColor(view->gradientLayer().colors()[0], {1, 0, 0, 1}, "clamped, not wrapped", 1e-6);

    auto veils = [&] {
        int n = 0;
        for (const auto& sub : view->subviews()) n += sub->tag() == GradientView::kVeilTag;
        return n;
    };
    view->setDarkness(0.4);
    view->setDarkness(0.4);
    EXPECT_EQ(veils(), 1) << "one veil";
    view->setDarkness(0.7);
    EXPECT_NEAR(view->viewWithTag(GradientView::kVeilTag)->alpha(), 0.7, 1e-6);
    view->setDarkness(0);
    EXPECT_EQ(veils(), 0);
}

TEST_F(GradientViewTest, AnEndlessCycleEndsWithItsView) {
    int calls = 0;
    std::weak_ptr<GradientView> gone;
    {
        auto view = std::make_shared<GradientView>(CGRectMake(0, 0, 50, 50), 0, [&](bool) {
            ++calls;
            return std::vector<UIColor>{UIColor::redColor()};
        });
        view->setAnimationDuration(1);
        view->startAnimating();
        gone = view;
    }
    EXPECT_TRUE(gone.expired());
    const int before = calls;
    loop.advance(5);
    EXPECT_EQ(calls, before);
}

}  // namespace
