// The mask reveal on the manual clock, read from composed screenshots and the mask's
// presentation: a circle (or a hole) growing out of the centre once the delay has passed.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CACompositor.h"
#include "platform/quartzcore/CAMediaTimingFunction.h"
#include "platform/quartzcore/CAShapeLayer.h"
#include "support/ImageRegions.h"
#include "ui/animation/AnimationUtility.h"

namespace {

constexpr double kScale = 2;
constexpr double kStart = 1000;  // far from 0, where a delay taken as a media time would lie in the past

class RevealTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop.useManualClock(kStart);
        root = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));
        root->setBackgroundColor(UIColor::whiteColor());
        view = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));
        view->setBackgroundColor(UIColor::redColor());
        root->addSubview(view);
    }
    void TearDown() override { loop.runUntilIdle(); }

    // The red share of a small square around (x, y): 1 where the view shows, 0 where it is hidden.
    double redAt(double x, double y) {
        const CGColor c = meanColorInPoints(CACompositor::compose(*root->layer(), {100, 100}, kScale),
                                            {{x - 2, y - 2}, {4, 4}}, kScale);
        return 1 - c.g;
    }
    // -1 once the mask is gone.
    double maskScale() {
        const auto& mask = view->layer()->mask();
        return mask ? CAValueNumber(mask->presentationLayer()->valueForKeyPath("transform.scale.x")) : -1;
    }

    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    std::shared_ptr<UIView> root, view;
};

}  // namespace

TEST_F(RevealTest, CircleGrowsFromTheCentreAfterItsDelayAndLeavesTheViewUnmasked) {
    std::vector<std::pair<double, bool>> done;
    AnimationUtility::animateView(view, AnimationUtility::reveal(true, CGPoint{0, 0}, CGPoint{1, 1}), 0.3,
                                  [&](bool f) { done.emplace_back(loop.now() - kStart, f); });
    auto mask = std::dynamic_pointer_cast<CAShapeLayer>(view->layer()->mask());
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->bounds().size, (CGSize{120, 120}));

    loop.advanceTo(kStart + 0.29);
    EXPECT_EQ(maskScale(), 0) << "still waiting";
    EXPECT_LT(redAt(50, 50), 0.05);

    const auto easeOut = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseOut);
    loop.advanceTo(kStart + 0.3 + 0.05);
    EXPECT_NEAR(maskScale(), easeOut.evaluate(0.25), 1e-9);
    const double radiusEarly = 60 * easeOut.evaluate(0.25);
    EXPECT_GT(redAt(50, 50), 0.95);
    EXPECT_LT(redAt(50 + radiusEarly + 6, 50), 0.05) << "outside the circle";

    loop.advanceTo(kStart + 0.3 + 0.1);
    EXPECT_GT(redAt(50 + radiusEarly + 6, 50), 0.95) << "the circle has grown past it";
    EXPECT_LT(redAt(3, 3), 0.05) << "the corners come last";
    EXPECT_TRUE(done.empty());

    loop.advanceTo(kStart + 0.5);
    EXPECT_EQ(done, (std::vector<std::pair<double, bool>>{{0.5, true}}));
    EXPECT_EQ(view->layer()->mask(), nullptr);
    EXPECT_GT(redAt(3, 3), 0.95);
}

TEST_F(RevealTest, InvertedRevealOpensAHoleAndStillReportsFinished) {
    bool finished = false;
    AnimationUtility::animateView(view, AnimationUtility::reveal(true, true, 0.4, CGPoint{0.01, 0.01}, CGPoint{1, 1}),
                                  [&](bool f) { finished = f; });
    auto mask = std::dynamic_pointer_cast<CAShapeLayer>(view->layer()->mask());
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->fillRule(), CAFillRule::EvenOdd);
    EXPECT_EQ(mask->bounds().size, (CGSize{12000, 12000}));
    EXPECT_GT(redAt(40, 40), 0.95) << "a pinhole at first: the field (scaled with it) still covers the view";
    loop.advance(0.2);
    EXPECT_LT(redAt(50, 50), 0.05) << "the hole in the middle";
    EXPECT_GT(redAt(3, 3), 0.95) << "the field around it";
    loop.advance(0.2);
    EXPECT_TRUE(finished);
    EXPECT_EQ(view->layer()->mask(), nullptr);
}
