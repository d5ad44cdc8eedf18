// Values driven by horizontal pans, through real recognisers fed synthetic, time-stamped
// touches on the manual clock: the relative forms with their start kept in single precision
// and their ordered clamps, the absolute forms, and the gesture controller's value, blocks,
// slider exclusion, single installation and zero-width reference.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/uikit/UIPinchGestureRecognizer.h"
#include "platform/uikit/UISlider.h"
#include "platform/uikit/UITapGestureRecognizer.h"
#include "support/TouchHarness.h"
#include "ui/foundation/GestureController.h"
#include "ui/foundation/UIPanGestureRecognizer+GestureUtility.h"

namespace {

class PanValueTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui = std::make_unique<TouchHarness>();
        NSRunLoop::mainRunLoop().useManualClock(100);
        view = std::make_shared<UIView>(CGRectMake(0, 100, 200, 100));
        ui->window->addSubview(view);
    }
    void TearDown() override {
        view.reset();
        ui.reset();
    }
    // A pan on the view whose every event hands the recogniser to `heard`.
    std::shared_ptr<UIPanGestureRecognizer> pan(std::function<void(UIPanGestureRecognizer&)> heard) {
        auto p = std::make_shared<UIPanGestureRecognizer>();
        p->addTarget(this, [heard](UIGestureRecognizer& g) { heard(static_cast<UIPanGestureRecognizer&>(g)); });
        view->addGestureRecognizer(p);
        return p;
    }
    void drag(CGFloat x0, CGFloat x1) { ui->drag(x0, 150, x1, 150, 0.3); }

    std::unique_ptr<TouchHarness> ui;
    std::shared_ptr<UIView> view;
};

TEST_F(PanValueTest, RelativeFormsAddTheTravelToTheStartAndClampInOrder) {
    struct Case {
        std::string form;
        double start, x0, x1, expected;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const Case& c :
         {Case{"normalised", 0.5, 50, 90, 0.7}, Case{"normalised", 0.5, 180, 30, 0},
          Case{"normalised", 0.9, 20, 120, 1}, Case{"normalised", nan, 20, 60, 0}, Case{"points", 150, 20, 70, 200},
          Case{"points", 30, 120, 20, 0}, Case{"points", 100, 20, 45, 125}}) {
        double last = -1;
        int asked = 0;
        auto p = pan([&](UIPanGestureRecognizer& g) {
            auto start = [&] {
                ++asked;
                return c.start;
            };
            last = c.form == "points" ? GestureUtility::relativeValueAfterXTranslation(g, start)
                                      : GestureUtility::relativeNormalizedValueAfterXTranslation(g, start, 200.0);
        });
        drag(c.x0, c.x1);
        const std::string what = c.form + " " + std::to_string(c.start) + " " + std::to_string(c.x1 - c.x0);
        EXPECT_NEAR(last, c.expected, 1e-6) << what;
        EXPECT_EQ(asked, 1) << "asked once, when the pan begins: " << what;
        view->removeGestureRecognizer(p.get());
    }
}

TEST_F(PanValueTest, StartIsKeptInSinglePrecisionUntilTheNextPan) {
    double start = 0.1;
    std::vector<double> values;
    auto p = pan([&](UIPanGestureRecognizer& g) {
        values.push_back(GestureUtility::relativeNormalizedValueAfterXTranslation(g, [&] { return start; }));
    });
    drag(100, 120);
    EXPECT_EQ(GestureUtility::startValue(*p), 0.10000000149011612);
    EXPECT_NEAR(values.back(), 0.2, 1e-6) << "the view's own width";
    start = 0.6;
    drag(100, 80);
    EXPECT_NEAR(GestureUtility::startValue(*p), 0.6, 1e-7);
    EXPECT_NEAR(values.back(), 0.5, 1e-6);
    // The bounds form with the lower bound above the upper one gives the upper one.
    EXPECT_EQ(GestureUtility::relativeValueAfterXTranslation(
                  *p, [] { return 5.0; }, view.get(), 10, 3),
              3);
}

TEST_F(PanValueTest, AbsoluteFormsFollowTheFingerBeyondTheView) {
    std::vector<double> points, fractions;
    pan([&](UIPanGestureRecognizer& g) {
        points.push_back(GestureUtility::absoluteValueAfterXTranslation(g));
        fractions.push_back(GestureUtility::absoluteNormalizedValueAfterXTranslation(g));
    });
    ui->drag(100, 150, 300, 150, 0.3);
    EXPECT_NEAR(points.back(), 300, 1e-6);
    EXPECT_NEAR(fractions.back(), 1.5, 1e-6) << "not clamped";
}

TEST_F(PanValueTest, GestureControllerAddsTheDragAsAFractionOfTheReferenceWidth) {
    auto controller = std::make_shared<GestureController>();
    auto reference = std::make_shared<UIView>(CGRectMake(0, 0, 200, 50));
    view->addSubview(reference);
    controller->setGestureValue(0.3);
    std::string calls;
    std::vector<CGPoint> began;
    controller->setGestureBeganBlock([&](CGPoint position, CGPoint velocity) {
        calls += "b";
        began = {position, velocity};
    });
    controller->setGestureChangedBlock([&](CGPoint, CGPoint) { calls += "c"; });
    controller->setGestureEndedBlock([&](CGPoint, CGPoint) { calls += "e"; });
    controller->setGestureValueChangedBlock([&](double) { calls += "v"; });
    controller->enableGesturesForView(view, reference);
    controller->enableGesturesForView(view, reference);
    EXPECT_EQ(view->gestureRecognizers().size(), 1u) << "installed once";

    drag(50, 150);
    EXPECT_NEAR(controller->gestureValue(), 0.8, 1e-9);
    EXPECT_NEAR(controller->initialGestureValue(), 0.3, 1e-9);
    EXPECT_NEAR(controller->initialPoint().x, 0.25, 1e-9) << "where the finger went down";
    EXPECT_EQ(calls.front(), 'b');
    EXPECT_EQ(calls.substr(calls.size() - 2), "ev");
    EXPECT_EQ(began[1], CGPointZero) << "a pan begins without velocity";
    EXPECT_NEAR(began[0].y, 0, 1e-9) << "y from the bottom edge of the reference";

    // A cancelled pan still applies its last position and ends.
    calls.clear();
    ui->driver->touchDown(7, {100, 150});
    ui->driver->wait(0.05);
    ui->driver->touchMove(7, {130, 150});
    ui->driver->wait(0.05);
    ui->driver->touchMove(7, {140, 150});
    ui->driver->touchCancel(7, {140, 150});
    NSRunLoop::mainRunLoop().runUntilIdle();
    EXPECT_NEAR(controller->gestureValue(), 1.0, 1e-9);
    EXPECT_EQ(calls.substr(calls.size() - 2), "ev");

    // Moving to another view takes the recogniser off the first.
    auto other = std::make_shared<UIView>(CGRectMake(0, 300, 200, 100));
    ui->window->addSubview(other);
    controller->enableGesturesForView(other);
    EXPECT_TRUE(view->gestureRecognizers().empty());
    EXPECT_EQ(controller->normalizationView(), other.get());
    UITapGestureRecognizer tap;
    UIPinchGestureRecognizer pinch;
    UIPanGestureRecognizer pan;
    EXPECT_TRUE(controller->shouldRecognizeSimultaneously(*controller->panRecognizer(), tap));
    EXPECT_FALSE(controller->shouldRecognizeSimultaneously(*controller->panRecognizer(), pinch));
    EXPECT_FALSE(controller->shouldRecognizeSimultaneously(*controller->panRecognizer(), pan));
    controller->disableGestures();
    EXPECT_TRUE(other->gestureRecognizers().empty());
    EXPECT_EQ(controller->panRecognizer(), nullptr);
}

TEST_F(PanValueTest, GestureControllerLeavesSlidersAndAZeroWidthReferenceAlone) {
    auto controller = std::make_shared<GestureController>();
    auto slider = std::make_shared<UISlider>(CGRectMake(0, 0, 100, 40));
    view->addSubview(slider);
    controller->setGestureValue(0.25);
    int events = 0;
    controller->setGestureValueChangedBlock([&](double) { ++events; });
    controller->enableGesturesForView(view, std::make_shared<UIView>());
    ui->drag(20, 120, 90, 120, 0.3);
    EXPECT_EQ(events, 0) << "a touch on a slider does not start the pan";
    drag(20, 150);
    EXPECT_GT(events, 0);
    EXPECT_EQ(controller->gestureValue(), 0.25) << "no width to measure by: the value stays";
}

}  // namespace
