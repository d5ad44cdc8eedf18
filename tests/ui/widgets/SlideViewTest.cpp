// The arc slider: the circle's geometry and the knob on its middle line, the usable arc (also
// for a circle that misses the padding line), the clamped layer and label against the stored
// value, a drag in a real window moving the value by the usable width with its blocks, the
// touch area above the view and on the knob, the ring band in a screenshot, and the wipe.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "platform/quartzcore/CACompositor.h"
#include "support/ImageRegions.h"
#include "support/TouchHarness.h"
#include "ui/widgets/SlideView.h"

namespace {

class SlideViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui = std::make_unique<TouchHarness>();
        loop.useManualClock(100);
    }
    void TearDown() override {
        loop.runUntilIdle();
        ui.reset();
    }
    // A 320 × 40 slider at y = 200 of the window.
    std::shared_ptr<SlideView> slider(CGFloat width = 320) {
        auto v = std::make_shared<SlideView>(CGRectMake(0, 200, width, 40));
        ui->window->addSubview(v);
        v->layoutIfNeeded();
        return v;
    }
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    std::unique_ptr<TouchHarness> ui;
};

TEST_F(SlideViewTest, KnobRidesTheMiddleLineOfTheUsableArc) {
    auto v = slider();
    // Computed geometry: an optimised build may round the last bit differently.
    EXPECT_NEAR(v->circleRadius(), 640, 1e-9);
    EXPECT_NEAR(v->circleCenter().x, 160, 1e-9);
    EXPECT_NEAR(v->circleCenter().y, 640, 1e-9);
    EXPECT_NEAR(v->indicatorView()->center().x, 160, 1e-9);
    EXPECT_NEAR(v->indicatorView()->center().y, 1.5, 1e-9);
    // The usable arc ends where the circle crosses x = padding (24): the knob's centre sits on
    // the middle line at that angle, and mirrored at 1.
    const double sinAlpha = 136.0 / 640;
    EXPECT_NEAR(v->angleOfIntersection(), std::asin(sinAlpha), 1e-5);
    v->setValue(0);
    EXPECT_NEAR(v->indicatorView()->center().x, 160 - 638.5 * sinAlpha, 1e-3);
    v->setValue(1);
    EXPECT_NEAR(v->indicatorView()->center().x, 160 + 638.5 * sinAlpha, 1e-3);

    // A circle too small to reach the padding line uses the whole upper half.
    v->setCurvature(0.05);
    EXPECT_DOUBLE_EQ(v->angleOfIntersection(), std::numbers::pi / 2);
    EXPECT_DOUBLE_EQ(v->circleAdjustedValue(), 1);
    EXPECT_TRUE(std::isfinite(v->valueLocation().x));

    const auto touching = SlideView::intersectionPointsOfCircle({0, 0}, 5, {5, -1}, {5, 1});
    ASSERT_EQ(touching.size(), 1u) << "a tangent meets the circle once";
    EXPECT_NEAR(touching[0].x, 5, 1e-9);
    EXPECT_NEAR(touching[0].y, 0, 1e-9);
    EXPECT_TRUE(SlideView::intersectionPointsOfCircle({0, 0}, 5, {6, -1}, {6, 1}).empty());
}

TEST_F(SlideViewTest, LayerAndLabelUseTheClampedValueWhileTheKnobUsesTheGivenOne) {
    auto v = slider();
    v->setShowValueIndicator(true);
    struct Case {
        double value, layer;
        std::string label;
    };
    for (const Case& c : {Case{0, 0, "0"}, Case{0.5, 0.5, "50"}, Case{1.5, 1, "100"}, Case{-0.2, 0, "0"}}) {
        v->setValue(c.value);
        EXPECT_EQ(v->value(), c.value);
        EXPECT_EQ(v->slideLayer().value(), c.layer);
        EXPECT_EQ(v->textDisplayView()->headerText(), c.label) << c.value;
    }
    EXPECT_LT(v->indicatorView()->center().x, 160 - 638.5 * 136.0 / 640) << "placed from -0.2, past the arc's end";
    // Equal once clamped: only the stored value changes.
    v->setValue(1.2);
    const CGPoint knob = v->indicatorView()->center();
    v->setValue(1.4);
    EXPECT_EQ(v->indicatorView()->center(), knob);
    EXPECT_EQ(v->value(), 1.4);
    EXPECT_EQ(v->textDisplayView()->headerText(), "100");
}

TEST_F(SlideViewTest, DragMovesTheValueByTheUsableWidthAndReportsItsSteps) {
    auto v = slider();
    v->setPanningEnabled(true);
    v->setValue(0.3);
    std::string calls;
    std::vector<double> seen;
    v->setValueWillBeginChange([&](double value) {
        calls += "b";
        seen.push_back(value);
    });
    v->setValueWillFinishChange([&](double value) {
        calls += "f";
        seen.push_back(value);
    });
    v->setValueChanged([&](double value) {
        calls += "c";
        EXPECT_EQ(value, v->value()) << "already set";
    });
    ui->drag(200, 220, 200 + 136, 220, 0.3);
    EXPECT_NEAR(v->value(), 0.8, 1e-6) << "half the usable width (272) adds half";
    EXPECT_EQ(calls.substr(0, 2), "bc");
    EXPECT_EQ(calls.substr(calls.size() - 2), "fc");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), 'b'), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), 'f'), 1);
    ui->drag(100, 220, 300, 220, 0.3);
    EXPECT_EQ(v->value(), 1) << "held at the end";

    // No usable width: a drag leaves the value.
    auto narrow = slider(40);
    narrow->setFrame(CGRectMake(0, 400, 40, 40));
    narrow->setPanningEnabled(true);
    narrow->setValue(0.4);
    ui->drag(5, 420, 35, 420, 0.3);
    EXPECT_EQ(narrow->value(), 0.4);
    narrow->setPanningEnabled(false);
    EXPECT_TRUE(narrow->gestureRecognizers().empty());
}

TEST_F(SlideViewTest, TouchesReachTheSliderAboveItsTopAndTheKnobOutsideIt) {
    auto v = slider();
    int knobTaps = 0;
    v->setIndicatorBlock([&] { ++knobTaps; });
    EXPECT_EQ(v->hitTest({100, -15}), v.get());
    EXPECT_EQ(v->hitTest({100, -25}), nullptr);
    EXPECT_EQ(v->hitTest({160, -5}), v->indicatorView().get()) << "the knob reaches above the view";
    ui->tap(160, 200 - 5);
    loop.runUntilIdle();
    EXPECT_EQ(knobTaps, 1);
    v->setAlpha(0);
    EXPECT_EQ(v->hitTest({100, 10}), nullptr);
}

TEST_F(SlideViewTest, ScreenshotShowsTheThreePointRingBandAndTheKnob) {
    auto v = slider();
    v->setFrame(CGRectMake(0, 0, 320, 40));  // the picture is of the layer where it stands
    v->setColor(UIColor::redColor());
    v->setValueColor(UIColor::blueColor());
    v->setValue(0.25);
    v->layer()->displayIfNeeded();
    const CGImageRef shot = CACompositor::compose(*v->layer(), v->bounds().size, 2);
    // At x = 200 the circle's top is 1.25 points down: the band runs to 4.25.
    auto at = [&](CGFloat x, CGFloat y) { return meanColorInPoints(shot, {{x - 1, y}, {2, 1}}, 2); };
    expectColor(at(200, 2.2), {1, 0, 0, 1}, "ring band");
    EXPECT_LT(at(200, 0).a, 0.05) << "above the band";
    EXPECT_LT(at(200, 5.5).a, 0.05) << "below the band";
    const CGPoint knob = v->indicatorView()->center();
    expectColor(meanColorInPoints(shot, {{knob.x - 3, knob.y + 2}, {6, 4}}, 2), {0, 0, 1, 1}, "knob");
    EXPECT_LT(at(160, 20).a, 0.05);
}

TEST_F(SlideViewTest, WipeInPopsTheKnobAndWipeOutLeavesTheViewTransparent) {
    auto v = slider();
    v->setAlpha(0);
    std::vector<double> done;
    v->animateSlideView(true, [&](bool finished) { done.push_back(finished ? loop.now() - 100 : -1); });
    EXPECT_EQ(v->alpha(), 1);
    loop.advance(0.1);
    EXPECT_NE(v->layer()->mask(), nullptr) << "wiping";
    EXPECT_EQ(v->indicatorView()->layer()->presentation().transform.m11, 0) << "the knob waits for the wipe";
    loop.advance(0.8);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_NEAR(done[0], 0.8, 0.02);
    EXPECT_EQ(v->indicatorView()->transform(), CGAffineTransform{});

    v->animateSlideView(false, [&](bool finished) { done.push_back(finished ? loop.now() - 100 : -1); });
    loop.advance(0.5);
    ASSERT_EQ(done.size(), 2u);
    EXPECT_EQ(v->alpha(), 0);
    EXPECT_EQ(v->indicatorView()->alpha(), 0);
}

}  // namespace
