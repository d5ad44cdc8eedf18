// The progress ring: where its arc starts and which way it grows on screen, the clamped drawing
// against the unclamped value, the eased animation timed by its sweep and its completion, the
// label's percentage and text lines, the spin, the one-time gradient picture, and a thickness
// set on a view without size.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "platform/quartzcore/CABasicAnimation.h"
#include "platform/quartzcore/CACompositor.h"
#include "platform/uikit/UIScreen.h"
#include "support/ImageRegions.h"
#include "ui/appearance/UIColor+AppearanceUtility.h"
#include "ui/widgets/CircularProgressView.h"

namespace {

const CGColor kRed{1, 0, 0, 1}, kBlue{0, 0, 1, 1};

class CircularProgressViewTest : public ::testing::Test {
protected:
    void SetUp() override { loop.useManualClock(10); }
    void TearDown() override { UIDeviceProfile::setCurrent(UIDeviceProfile::phone()); }

    // A 100-point ring (radius 50, ring from 30 to 50) drawn red on a blue track.
    std::shared_ptr<CircularProgressView> ring() {
        auto v = std::make_shared<CircularProgressView>(CGRectMake(0, 0, 100, 100));
        v->setCircleColor(UIColor::colorWithCGColor(kBlue));
        v->setProgressColor(UIColor::colorWithCGColor(kRed));
        return v;
    }
    CGImageRef shot(CircularProgressView& v) {
        v.layer()->displayIfNeeded();
        return CACompositor::compose(*v.layer(), v.bounds().size, 1);
    }
    // The ring's middle circle (radius 40) at a clock position: 0 top, 3 right, 6 bottom, 9 left.
    static CGColor at(const CGImageRef& image, double hour) {
        const double a = hour / 12 * 2 * std::numbers::pi;
        return meanColor(image, {{50 + 40 * std::sin(a) - 2, 50 - 40 * std::cos(a) - 2}, {4, 4}});
    }
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
};

TEST_F(CircularProgressViewTest, ArcStartsAndGrowsAsItsFlagsSay) {
    struct Case {
        bool inverted, clockwise;
        double filled, empty;  // clock positions a quarter of a ring from the start covers or not
    };
    // The defaults start at the bottom and grow clockwise on screen; upright and clockwise
    // starts at the top.
    for (const Case& c : {Case{true, false, 7.5, 4.5}, Case{false, true, 1.5, 10.5}, Case{false, false, 10.5, 1.5}}) {
        auto v = ring();
        v->setInverted(c.inverted);
        v->setClockwise(c.clockwise);
        v->setProgress(0.25);
        const CGImageRef image = shot(*v);
        const std::string what = std::to_string(c.inverted) + std::to_string(c.clockwise);
        expectColor(at(image, c.filled), kRed, "arc " + what);
        expectColor(at(image, c.empty), kBlue, "track " + what);
        EXPECT_LT(meanColor(image, {{45, 45}, {10, 10}}).a, 0.01) << "the centre is punched out " << what;
        EXPECT_LT(meanColor(image, {{1, 1}, {6, 6}}).a, 0.01) << "outside the ring " << what;
    }
}

TEST_F(CircularProgressViewTest, DrawsTheClampedValueAndReadsBackTheGivenOne) {
    auto v = ring();
    EXPECT_EQ(v->progress(), 0.5);
    for (double hour : {1.0, 5.0, 7.0, 11.0}) expectColor(at(shot(*v), hour), kBlue, "a new ring draws no arc");

    v->setProgress(1.5);
    EXPECT_EQ(v->progress(), 1.5);
    for (double hour : {0.5, 3.0, 6.0, 9.0, 11.5}) expectColor(at(shot(*v), hour), kRed, "full ring");
    v->setProgress(-0.5);
    EXPECT_EQ(v->progress(), -0.5);
    for (double hour : {3.0, 6.0, 9.0}) expectColor(at(shot(*v), hour), kBlue, "no arc");

    v->setAlpha(0);
    v->setProgress(1);
    v->layer()->displayIfNeeded();
    EXPECT_LT(meanColor(v->renderView().layer()->contents(), {{0, 0}, {100, 100}}).a, 0.001) << "alpha 0";
    v->setAlpha(1);
    v->setShowProgress(false);
    v->setProgress(0.5);
    v->layer()->displayIfNeeded();
    EXPECT_LT(meanColor(v->renderView().layer()->contents(), {{0, 0}, {100, 100}}).a, 0.001) << "hidden";
}

TEST_F(CircularProgressViewTest, AnimationLastsItsSweepAndTheNextStartsFromTheScreen) {
    auto v = ring();
    v->setProgress(0.2);
    std::vector<double> completions;
    v->setProgress(0.7, true, [&](bool finished) { completions.push_back(finished ? loop.now() : -1); });
    EXPECT_EQ(v->renderView().progressLayer().progress(), 0.7) << "the model holds the target at once";
    loop.advance(0.25);
    const double middle = CAValueNumber(v->renderView().layer()->presentationLayer()->valueForKeyPath("progress"));
    EXPECT_NEAR(middle, 0.45, 0.01) << "eased about the middle";
    loop.advance(0.3);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_NEAR(completions[0], 10.5, 1.0 / 60);

    completions.clear();
    v->setProgress(0.2, true, [&](bool) { completions.push_back(-2); });
    loop.advance(0.1);
    const double shown = CAValueNumber(v->renderView().layer()->presentationLayer()->valueForKeyPath("progress"));
    v->setProgress(0.9, true);
    auto animation = std::static_pointer_cast<CABasicAnimation>(v->renderView().layer()->animationForKey("progress"));
    ASSERT_TRUE(animation);
    EXPECT_NEAR(CAValueNumber(*animation->fromValue), shown, 1e-6);
    EXPECT_NEAR(animation->duration, 0.9 - shown, 1e-6);

    // Equal clamped values and changes without animation never complete.
    loop.advance(2);
    v->setProgress(0.9, true, [&](bool) { completions.push_back(-3); });
    v->setProgress(3, true, [&](bool) { completions.push_back(-4); });
    v->setProgress(0.1, false);
    loop.advance(2);
    EXPECT_EQ(completions, (std::vector<double>{-2, -4}));
}

TEST_F(CircularProgressViewTest, LabelShowsPercentageAndTextOrTheTextAlone) {
    auto v = ring();
    v->setDisplayText("Vivid");
    EXPECT_EQ(v->textDisplayView()->headerText(), "Vivid");
    v->setShowProgressLabel(true);
    v->setDisplayText("Vivid");
    v->setProgress(0.5);
    EXPECT_EQ(v->textDisplayView()->headerText(), "50%");
    EXPECT_EQ(v->textDisplayView()->detailText(), "Vivid");
    EXPECT_EQ(v->textDisplayView()->bounds().size, (CGSize{60, 60}));
    EXPECT_EQ(v->textDisplayView()->center(), (CGPoint{50, 50}));
    EXPECT_EQ(v->subviews().back().get(), &v->renderView()) << "the ring lies over the label";

    v->setShowProgressLabel(false);
    EXPECT_FALSE(v->textDisplayView()->showsDetailText());
    v->setShowLabel(false);
    EXPECT_EQ(v->textDisplayView(), nullptr);
    v->setProgress(0.8);  // no label to write to
}

TEST_F(CircularProgressViewTest, SpinDoesNotRestartAndStoppingLeavesNoProgress) {
    auto v = ring();
    v->setIndeterminate(true);
    auto spin = v->layer()->animationForKey(CircularProgressView::kIndeterminateAnimationKey);
    ASSERT_TRUE(spin);
    EXPECT_EQ(v->renderView().progressLayer().progress(), 0.5);
    loop.advance(0.5);
    v->setIndeterminate(true);
    EXPECT_EQ(v->layer()->animationForKey(CircularProgressView::kIndeterminateAnimationKey), spin);
    const CATransform3D quarter = v->layer()->presentation().transform;
    EXPECT_NEAR(quarter.m12, 1, 1e-3) << "a quarter turn after half a second";
    v->setIndeterminate(false);
    EXPECT_EQ(v->progress(), 0);
    EXPECT_FALSE(v->layer()->animationForKey(CircularProgressView::kIndeterminateAnimationKey));
}

TEST_F(CircularProgressViewTest, GradientPictureIsMadeOnce) {
    auto v = ring();
    v->setUseGradient(true);
    v->setProgress(0.5);
    shot(*v);
    const CGImageRef first = v->renderView().progressLayer().gradientImage();
    ASSERT_TRUE(first);
    EXPECT_EQ(CGImageGetWidth(first), 100u);
    v->setFrame(CGRectMake(0, 0, 200, 200));
    v->renderView().setFrame(CGRectMake(0, 0, 200, 200));
    v->setProgress(0.9);
    shot(*v);
    EXPECT_EQ(v->renderView().progressLayer().gradientImage(), first);
}

TEST_F(CircularProgressViewTest, ThicknessFollowsTheSizeAndAZeroSizeKeepsIt) {
    auto v = std::make_shared<CircularProgressView>();
    v->setThickness(10);
    EXPECT_EQ(v->relativeThickness(), 0.4) << "no size: kept, not infinite";
    v->setFrame(CGRectMake(0, 0, 100, 60));
    v->setThickness(15);
    EXPECT_DOUBLE_EQ(v->relativeThickness(), 0.5);
    v->setFrame(CGRectMake(0, 0, 200, 120));
    EXPECT_DOUBLE_EQ(v->thickness(), 30);
}

TEST_F(CircularProgressViewTest, TurnsWithTheDeviceExceptOnAPad) {
    auto v = ring();
    v->setOrientation(static_cast<int>(UIDeviceOrientation::LandscapeLeft), false);
    EXPECT_NE(v->transform(), CGAffineTransform{});
    UIDeviceProfile::setCurrent(UIDeviceProfile::pad());
    auto p = ring();  // made on the pad
    p->setOrientation(static_cast<int>(UIDeviceOrientation::LandscapeLeft), false);
    EXPECT_EQ(p->transform(), CGAffineTransform{});
}

}  // namespace
