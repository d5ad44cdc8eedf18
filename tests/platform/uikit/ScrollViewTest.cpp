// The scroll view driven through the window on the manual clock: drags, flings, bounces,
// paging, zooming by pinch and by rectangle, and the wheel through the input driver.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "platform/uikit/UIScrollView.h"
#include "support/TouchHarness.h"

namespace {

struct Recorder : UIScrollViewDelegate {
    std::string calls;  // w(ill drag), d(id end dragging) + D/- (decelerates), e(nd decelerating), z(oom ended)
    std::shared_ptr<UIView> zoom;
    std::optional<CGPoint> rest;  // the target offset written at the end of a drag
    CGPoint offeredRest{};
    void scrollViewWillEndDragging(UIScrollView&, CGPoint, CGPoint& target) override {
        offeredRest = target;
        if (rest) target = *rest;
    }
    void scrollViewWillBeginDragging(UIScrollView&) override { calls += 'w'; }
    void scrollViewDidEndDragging(UIScrollView&, bool decelerate) override { calls += decelerate ? "dD" : "d-"; }
    void scrollViewDidEndDecelerating(UIScrollView&) override { calls += 'e'; }
    void scrollViewDidEndZooming(UIScrollView&, UIView*, CGFloat) override { calls += 'z'; }
    std::shared_ptr<UIView> viewForZoomingInScrollView(UIScrollView&) override { return zoom; }
};

class ScrollViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        scroll = std::make_shared<UIScrollView>(CGRectMake(0, 0, 320, 480));
        scroll->setContentSize({960, 1920});
        scroll->setDelegate(delegate);
        ui.window->addSubview(scroll);
    }
    // One finger from one point to another in steps of 1/60 s, held `hold` seconds, lifted.
    void stroke(CGPoint from, CGPoint to, NSTimeInterval seconds, NSTimeInterval hold) {
        ui.driver->touchDown(5, from);
        const int steps = static_cast<int>(std::lround(seconds * 60));
        for (int i = 1; i <= steps; ++i) {
            ui.advance(1.0 / 60);
            ui.driver->touchMove(5, {from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
        }
        ui.advance(hold);
        ui.driver->touchUp(5, to);
    }
    TouchHarness ui;
    std::shared_ptr<Recorder> delegate = std::make_shared<Recorder>();
    std::shared_ptr<UIScrollView> scroll;
};

}  // namespace

TEST_F(ScrollViewTest, ADragFollowsTheFingerAndPastTheEdgeSpringsBack) {
    // What runs only in the default mode waits while the finger drags (the tracking mode).
    NSTimeInterval ranAt = -1;
    TouchHarness::loop().performAfterDelay(this, "probe", 0.1, [&] { ranAt = TouchHarness::loop().now(); });
    stroke({160, 400}, {100, 150}, 0.5, 0.2);
    EXPECT_EQ(ranAt, -1) << "held back while dragging";
    ui.advance(0.01);
    EXPECT_NEAR(ranAt, 0.7, 1e-9) << "runs in the first pass after the lift";
    EXPECT_EQ(scroll->contentOffset(), (CGPoint{60, 250}));
    EXPECT_EQ(delegate->calls, "wd-") << "held still before the lift: no fling";

    // 100 points down past the top: the content goes half as far, then springs back in 0.4 s.
    scroll->setContentOffset({0, 0});
    delegate->calls.clear();
    stroke({160, 100}, {160, 200}, 0.5, 0.2);
    EXPECT_EQ(scroll->contentOffset().y, -50);
    EXPECT_EQ(delegate->calls, "wdD");
    ui.advance(0.2);
    EXPECT_LT(scroll->contentOffset().y, -1);
    EXPECT_GT(scroll->contentOffset().y, -49);
    ui.advance(0.21);
    EXPECT_EQ(scroll->contentOffset().y, 0);
    EXPECT_EQ(delegate->calls, "wdDe");

    // Without bouncing the content stops at the edge.
    scroll->setBounces(false);
    stroke({160, 100}, {160, 200}, 0.5, 0.2);
    EXPECT_EQ(scroll->contentOffset().y, 0);
}

TEST_F(ScrollViewTest, AFlingDeceleratesToAFixedRestAtAFixedTime) {
    scroll->setContentOffset({0, 500});
    // 600 points a second upwards, lifted at once.
    stroke({160, 400}, {160, 340}, 0.1, 0);
    const CGFloat afterDrag = scroll->contentOffset().y;
    EXPECT_NEAR(afterDrag, 560, 1e-9);
    EXPECT_TRUE(scroll->isDecelerating());
    // Speed × 0.998 a millisecond until under 10 points a second: rest after ln(60)/(−1000 ln 0.998)
    // seconds, (600 − 10)/(−1000 ln 0.998) points further.
    const double k = -1000 * std::log(0.998);
    const double restAt = std::log(60.0) / k, travel = 590 / k;
    ui.advance(restAt - 0.05);
    EXPECT_TRUE(scroll->isDecelerating());
    EXPECT_LT(scroll->contentOffset().y, afterDrag + travel);
    ui.advance(0.1);
    EXPECT_FALSE(scroll->isDecelerating());
    EXPECT_NEAR(scroll->contentOffset().y, afterDrag + travel, 1e-6);
    EXPECT_EQ(delegate->calls, "wdDe");

    // A fling towards the nearby bottom passes the edge and springs back to it.
    scroll->setContentOffset({0, 1400});
    stroke({160, 400}, {160, 340}, 0.1, 0);
    ui.advance(3);
    EXPECT_EQ(scroll->contentOffset().y, 1440);
}

TEST_F(ScrollViewTest, PagingSettlesOnThePageTheFingerOrItsSpeedChooses) {
    scroll->setContentSize({960, 480});
    scroll->setPagingEnabled(true);
    struct Case {
        const char* what;
        CGFloat dx;
        NSTimeInterval hold;
        CGFloat page;
    };
    const Case cases[] = {
        {"short and slow", -100, 0.2, 0}, {"past half", -200, 0.2, 320}, {"short and fast", -100, 0, 320}};
    for (const Case& c : cases) {
        scroll->setContentOffset({0, 0});
        stroke({250, 200}, {250 + c.dx, 200}, 0.2, c.hold);
        ui.advance(1);
        EXPECT_EQ(scroll->contentOffset(), (CGPoint{c.page, 0})) << c.what;
    }
}

TEST_F(ScrollViewTest, ZoomingByPinchAboutTheFingersAndByRectangle) {
    auto picture = std::make_shared<UIView>(CGRectMake(0, 0, 320, 480));
    picture->setUserInteractionEnabled(false);
    scroll->addSubview(picture);
    scroll->setContentSize({320, 480});
    delegate->zoom = picture;
    scroll->setMinimumZoomScale(1);
    scroll->setMaximumZoomScale(4);

    // Fingers about (100, 150) spreading from 40 to 80 points apart: twice the size, that point
    // of the picture staying under them.
    auto fingers = [&](UITouchPhase phase, CGFloat gap) {
        return std::vector<UITouchReport>{{7, phase, {100 - gap / 2, 150}, 1, 1},
                                          {8, phase, {100 + gap / 2, 150}, 1, 1}};
    };
    ui.driver->sendTouches(fingers(UITouchPhase::Began, 40));
    for (int i = 1; i <= 10; ++i) {
        ui.advance(1.0 / 60);
        ui.driver->sendTouches(fingers(UITouchPhase::Moved, 40 + 4 * i));
    }
    ui.driver->sendTouches(fingers(UITouchPhase::Ended, 80));
    EXPECT_NEAR(scroll->zoomScale(), 2, 1e-9);
    EXPECT_EQ(scroll->contentSize(), (CGSize{640, 960}));
    EXPECT_NEAR(scroll->contentOffset().x, 100, 1e-9);
    EXPECT_NEAR(scroll->contentOffset().y, 150, 1e-9);
    EXPECT_EQ(delegate->calls, "z");
    // The point drawn under the fingers is still the picture's (100, 150).
    const CGPoint shown = picture->convertPointFromView({100, 150}, ui.window.get());
    EXPECT_NEAR(shown.x, 100, 1e-9);
    EXPECT_NEAR(shown.y, 150, 1e-9);

    // A rectangle a quarter of the view's width fills it at 4×, in 0.3 s.
    scroll->zoomToRect(CGRectMake(200, 300, 80, 120), true);
    ui.advance(0.15);
    EXPECT_GT(scroll->zoomScale(), 2);
    EXPECT_LT(scroll->zoomScale(), 4);
    ui.advance(0.16);
    EXPECT_EQ(scroll->zoomScale(), 4);
    EXPECT_EQ(scroll->contentOffset(), (CGPoint{240 * 4 - 160, 360 * 4 - 240}));

    // Pinching in below the minimum springs back to it.
    ui.driver->sendTouches(fingers(UITouchPhase::Began, 80));
    ui.advance(0.05);
    ui.driver->sendTouches(fingers(UITouchPhase::Moved, 10));
    EXPECT_NEAR(scroll->zoomScale(), 0.5, 1e-9);
    ui.driver->sendTouches(fingers(UITouchPhase::Ended, 10));
    ui.advance(0.5);
    EXPECT_EQ(scroll->zoomScale(), 1);
    EXPECT_EQ(scroll->contentOffset(), (CGPoint{0, 0}));

    // Through the window's input mapping: a Ctrl+wheel notch zooms 10 % about the pointer.
    const CGFloat px = UIScreen::mainScreen().scale();
    ui.driver->wheel({160 * px, 240 * px}, 0, 1, true);
    EXPECT_NEAR(scroll->zoomScale(), 1.1, 1e-9);
    EXPECT_NEAR(scroll->contentOffset().x, 16, 1e-9);
}

TEST_F(ScrollViewTest, TheWheelScrollsFortyPointsANotchWithinTheContent) {
    const CGFloat px = UIScreen::mainScreen().scale();
    ui.driver->wheel({100 * px, 100 * px}, 0, -2);
    EXPECT_EQ(scroll->contentOffset(), (CGPoint{0, 80}));
    ui.driver->wheel({100 * px, 100 * px}, -1, 3);
    EXPECT_EQ(scroll->contentOffset(), (CGPoint{40, 0})) << "stops at the top";
    scroll->setScrollEnabled(false);
    ui.driver->wheel({100 * px, 100 * px}, 0, -2);
    EXPECT_EQ(scroll->contentOffset(), (CGPoint{40, 0}));
}

TEST_F(ScrollViewTest, IndicatorsShowWhileTheContentMovesAndFadeAtRest) {
    ui.window->setBackgroundColor(UIColor::whiteColor());
    const CGRect rightEdge = CGRectMake(315, 0, 3, 480), bottomEdge = CGRectMake(0, 475, 320, 3);
    for (bool shown : {true, false}) {
        scroll->setShowsVerticalScrollIndicator(shown);
        scroll->setContentOffset({0, 0});
        ui.advance(1);
        EXPECT_GT(ui.meanColor(rightEdge).r, 0.99) << "none before moving";
        ui.driver->touchDown(5, {160, 400});
        for (int i = 1; i <= 20; ++i) {
            ui.advance(1.0 / 60);
            ui.driver->touchMove(5, {160 - 2.0 * i, 400 - 10.0 * i});
        }
        // A quarter of the content's height shows: a bar a quarter of the edge, at 35 % black.
        if (shown) EXPECT_NEAR(ui.meanColor(rightEdge).r, 1 - 0.35 * (476.0 / 4) / 480, 0.02);
        else EXPECT_GT(ui.meanColor(rightEdge).r, 0.99) << "switched off";
        EXPECT_LT(ui.meanColor(bottomEdge).r, 0.95) << "the horizontal one";
        ui.advance(0.3);
        ui.driver->touchUp(5, {120, 200});
        ui.advance(0.15);
        if (shown) {
            EXPECT_LT(ui.meanColor(rightEdge).r, 0.99) << "fading";
        }
        ui.advance(0.16);
        EXPECT_GT(ui.meanColor(rightEdge).r, 0.99) << "faded at rest, 0.3 s after the lift";
        EXPECT_GT(ui.meanColor(bottomEdge).r, 0.99);
    }
}

TEST_F(ScrollViewTest, AWrittenRestingOffsetReplacesTheFlingAndZoomBouncingCanBeOff) {
    // The resting place offered is where the fling would stop; pinned to the lift's offset,
    // the content stays there.
    scroll->setContentOffset({0, 500});
    delegate->rest = std::nullopt;
    stroke({160, 400}, {160, 340}, 0.1, 0);
    const double k = -1000 * std::log(0.998);
    EXPECT_NEAR(delegate->offeredRest.y, 560 + 590 / k, 1e-6);
    ui.advance(3);
    const struct {
        std::optional<CGPoint> rest;
        CGPoint expected;
        const char* calls;
    } cases[] = {
        {CGPoint{0, 740}, {0, 740}, "wd-"},  // pinned where the finger lifts
        {CGPoint{0, 700}, {0, 700}, "wdD"},  // elsewhere: it goes there
        {CGPoint{0, -50}, {0, 0}, "wdD"},    // kept within the content
    };
    for (const auto& c : cases) {
        scroll->setContentOffset({0, 680});
        delegate->calls.clear();
        delegate->rest = c.rest;
        stroke({160, 400}, {160, 340}, 0.1, 0);
        if (c.rest->y == 740) EXPECT_EQ(scroll->contentOffset(), c.expected) << "at once";
        ui.advance(1);
        EXPECT_EQ(scroll->contentOffset(), c.expected);
        EXPECT_EQ(delegate->calls, c.calls);
    }
    delegate->rest = std::nullopt;

    // Without zoom bouncing a pinch stops at the range instead of passing it.
    auto picture = std::make_shared<UIView>(CGRectMake(0, 0, 320, 480));
    picture->setUserInteractionEnabled(false);
    scroll->addSubview(picture);
    delegate->zoom = picture;
    scroll->setMinimumZoomScale(1);
    scroll->setMaximumZoomScale(2);
    scroll->setBouncesZoom(false);
    scroll->setZoomScale(1);
    auto fingers = [&](UITouchPhase phase, CGFloat gap) {
        return std::vector<UITouchReport>{{7, phase, {160 - gap / 2, 240}, 1, 1},
                                          {8, phase, {160 + gap / 2, 240}, 1, 1}};
    };
    for (const auto& [to, expected] : {std::pair{200.0, 2.0}, std::pair{10.0, 1.0}}) {
        ui.driver->sendTouches(fingers(UITouchPhase::Began, 50));
        ui.advance(0.05);
        ui.driver->sendTouches(fingers(UITouchPhase::Moved, to));
        EXPECT_NEAR(scroll->zoomScale(), expected, 1e-9) << "while pinching to " << to;
        ui.driver->sendTouches(fingers(UITouchPhase::Ended, to));
        ui.advance(0.5);
    }
}
