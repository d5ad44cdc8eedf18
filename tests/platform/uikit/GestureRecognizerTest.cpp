// Gesture recognisers driven through the window with synthetic, time-stamped touches on the
// manual clock: the thresholds of each kind, and the rules between recognisers and views.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/uikit/UILongPressGestureRecognizer.h"
#include "platform/uikit/UIPanGestureRecognizer.h"
#include "platform/uikit/UIPinchGestureRecognizer.h"
#include "platform/uikit/UIRotationGestureRecognizer.h"
#include "platform/uikit/UISlider.h"
#include "platform/uikit/UISwipeGestureRecognizer.h"
#include "platform/uikit/UITapGestureRecognizer.h"
#include "support/TouchHarness.h"
#include "support/TouchRecorder.h"

namespace {

using State = UIGestureRecognizerState;

// What a recogniser told its target: the state letters (b, c(hanged), e(nded), x cancelled)
// and the clock at each.
struct Heard {
    std::string states;
    std::vector<NSTimeInterval> times;
    void listen(UIGestureRecognizer& r) {
        r.addTarget(this, [this](UIGestureRecognizer& g) {
            const char letters[] = "pbcexf";
            states += letters[static_cast<int>(g.state())];
            times.push_back(NSRunLoop::mainRunLoop().now());
        });
    }
};

// A delegate with answers chosen by the test.
struct Answers : UIGestureRecognizerDelegate {
    bool begin = true, simultaneous = false, refuseSliders = false;
    bool shouldBegin(UIGestureRecognizer&) override { return begin; }
    bool shouldReceiveTouch(UIGestureRecognizer&, const UITouch& touch) override {
        return !(refuseSliders && dynamic_cast<UISlider*>(touch.view.lock().get()));
    }
    bool shouldRecognizeSimultaneously(UIGestureRecognizer&, UIGestureRecognizer&) override { return simultaneous; }
};

class GestureRecognizerTest : public ::testing::Test {
protected:
    void SetUp() override {
        view = std::make_shared<TouchRecorder>(ui.window->bounds());
        ui.window->addSubview(view);
    }
    template <class R>
    std::shared_ptr<R> add(Heard& heard, UIView* on = nullptr) {
        auto r = std::make_shared<R>();
        (on ? on : view.get())->addGestureRecognizer(r);
        heard.listen(*r);
        return r;
    }
    // A finger moved in even steps of 1/60 s from one point to another, lifted or not.
    void stroke(CGPoint from, CGPoint to, NSTimeInterval seconds, bool lift = true, int finger = 5) {
        ui.driver->touchDown(finger, from);
        const int steps = std::max(1, static_cast<int>(std::lround(seconds * 60)));
        for (int i = 1; i <= steps; ++i) {
            ui.advance(seconds / steps);
            const CGFloat t = CGFloat(i) / steps;
            ui.driver->touchMove(finger, {from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t});
        }
        if (lift) ui.driver->touchUp(finger, to);
    }
    TouchHarness ui;
    std::shared_ptr<TouchRecorder> view;
};

}  // namespace

TEST_F(GestureRecognizerTest, ASingleTapWaitingForADoubleTapRecognisesAThirdOfASecondAfterItsLift) {
    Heard single, twice;
    auto tap = add<UITapGestureRecognizer>(single);
    auto doubleTap = add<UITapGestureRecognizer>(twice);
    doubleTap->setNumberOfTapsRequired(2);
    tap->requireGestureRecognizerToFail(doubleTap);

    ui.tap(100, 100);  // down at 0, up at 0.05
    ui.advance(0.34);
    EXPECT_EQ(single.states, "") << "still waiting for a second tap";
    ui.advance(0.02);
    ASSERT_EQ(single.states, "e");
    EXPECT_NEAR(single.times[0], 0.05 + 0.35, 1e-9);
    EXPECT_EQ(twice.states, "");
    EXPECT_EQ(tap->state(), State::Possible) << "reset for the next gesture";

    // Two taps 0.2 s apart: the double tap at the second lift, the single tap never.
    ui.advance(1);
    const NSTimeInterval start = ui.driver->now();
    ui.tap(100, 100);
    ui.advance(0.2);
    ui.tap(102, 101);
    ASSERT_EQ(twice.states, "e");
    EXPECT_NEAR(twice.times[0] - start, 0.05 + 0.2 + 0.05, 1e-9);
    ui.advance(1);
    EXPECT_EQ(single.states, "e") << "only the first single tap";
    EXPECT_NEAR(twice.times.size(), 1, 0);
    EXPECT_NEAR(tap->locationInView(view.get()).x, 100, 1e-9) << "where it was recognised";
}

TEST_F(GestureRecognizerTest, ATapMovesUnderTenPointsAndATapTooLateIsASingleTap) {
    struct Case {
        const char* what;
        CGFloat move;
        NSTimeInterval gap;  // between a first lift and a second touch, when two taps are made
        bool doubleTap;
        const char* heard;
    };
    const Case cases[] = {
        {"9-point move", 9, 0, false, "e"},
        {"12-point move", 12, 0, false, ""},
        {"second tap in time", 0, 0.3, true, "e"},
        {"second tap too late", 0, 0.4, true, ""},
    };
    for (const Case& c : cases) {
        SetUp();
        Heard heard;
        auto tap = add<UITapGestureRecognizer>(heard);
        if (c.doubleTap) tap->setNumberOfTapsRequired(2);
        ui.driver->touchDown(5, {100, 100});
        ui.advance(0.05);
        ui.driver->touchMove(5, {100 + c.move, 100});
        ui.driver->touchUp(5, {100 + c.move, 100});
        if (c.doubleTap) {
            ui.advance(c.gap);
            ui.tap(100, 100);
        }
        ui.advance(1);
        EXPECT_EQ(heard.states, c.heard) << c.what;
        view->removeFromSuperview();
    }
}

TEST_F(GestureRecognizerTest, ALongPressBeginsAfterItsDurationUnlessItMovesTenPoints) {
    Heard heard;
    auto press = add<UILongPressGestureRecognizer>(heard);
    press->setMinimumPressDuration(0.25);
    ui.driver->touchDown(5, {100, 100});
    ui.advance(0.24);
    EXPECT_EQ(heard.states, "");
    ui.advance(0.02);
    ASSERT_EQ(heard.states, "b");
    EXPECT_NEAR(heard.times[0], 0.25, 1e-9);
    ui.driver->touchMove(5, {130, 100});
    ui.driver->touchUp(5, {130, 100});
    EXPECT_EQ(heard.states, "bce");
    EXPECT_EQ(view->phases(), "bc") << "the recognised press took the touch from the view";

    // Lifted early, or moved 10 points first: never begins. The default wait is half a second.
    auto fresh = std::make_shared<UILongPressGestureRecognizer>();
    EXPECT_EQ(fresh->minimumPressDuration(), 0.5);
    heard.states.clear();
    ui.longPress(100, 100, 0.2);
    stroke({100, 100}, {110, 100}, 0.1, false);
    ui.advance(1);
    ui.driver->touchUp(5, {110, 100});
    EXPECT_EQ(heard.states, "");
}

TEST_F(GestureRecognizerTest, APanBeginsAfterTenPointsAndMeasuresTranslationAndRecentVelocity) {
    Heard heard;
    auto pan = add<UIPanGestureRecognizer>(heard);
    std::vector<CGPoint> translations;
    CGPoint endVelocity{-1, -1};
    pan->addTarget(&translations, [&](UIGestureRecognizer& g) {
        translations.push_back(pan->translationInView(view.get()));
        if (g.state() == State::Ended) endVelocity = pan->velocityInView(nullptr);
    });

    // Slowly for 0.5 s (60 points a second), then fast for 0.2 s (300 points a second).
    stroke({100, 200}, {109, 200}, 0.15, false);
    EXPECT_EQ(heard.states, "") << "9 points: not yet";
    ui.advance(0.05);
    ui.driver->touchMove(5, {112, 200});
    ASSERT_EQ(heard.states, "b");
    EXPECT_NEAR(translations.back().x, 12, 1e-9);
    for (int i = 1; i <= 12; ++i) {
        ui.advance(1.0 / 60);
        ui.driver->touchMove(5, {112 + 5.0 * i, 200 - 2.5 * i});
    }
    EXPECT_NEAR(translations.back().x, 72, 1e-9);
    EXPECT_NEAR(translations.back().y, -30, 1e-9);
    const CGPoint v = pan->velocityInView(view.get());
    EXPECT_NEAR(v.x, 300, 1e-6) << "over the last 0.1 s only";
    EXPECT_NEAR(v.y, -150, 1e-6);
    ui.driver->touchUp(5, {172, 170});
    EXPECT_EQ(heard.states.back(), 'e');
    EXPECT_EQ(heard.states.find_first_not_of('c', 1), heard.states.size() - 1);
    EXPECT_NEAR(endVelocity.x, 300, 1e-6) << "a lift right after the move keeps the speed";

    // Setting the translation moves the origin, not the finger.
    heard.states.clear();
    stroke({100, 100}, {150, 100}, 0.2, false);
    pan->setTranslation({0, 0}, view.get());
    ui.advance(0.02);
    ui.driver->touchMove(5, {160, 105});
    EXPECT_NEAR(pan->translationInView(view.get()).x, 10, 1e-9);
    EXPECT_NEAR(pan->translationInView(view.get()).y, 5, 1e-9);
    // A finger held still before lifting has no speed left.
    ui.advance(0.3);
    ui.driver->touchUp(5, {160, 105});
    EXPECT_EQ(endVelocity.x, 0);
}

TEST_F(GestureRecognizerTest, SwipesGoFiftyPointsTheirWayWithinHalfASecond) {
    struct Case {
        const char* what;
        unsigned direction;
        CGPoint to;  // from (200, 300)
        NSTimeInterval seconds;
        bool recognised;
    };
    const Case cases[] = {
        {"right", UISwipeGestureRecognizerDirectionRight, {260, 310}, 0.2, true},
        {"left", UISwipeGestureRecognizerDirectionLeft, {140, 290}, 0.2, true},
        {"up", UISwipeGestureRecognizerDirectionUp, {210, 240}, 0.2, true},
        {"down", UISwipeGestureRecognizerDirectionDown, {200, 360}, 0.2, true},
        {"left or right, going left",
         UISwipeGestureRecognizerDirectionLeft | UISwipeGestureRecognizerDirectionRight,
         {140, 300},
         0.2,
         true},
        {"wrong way", UISwipeGestureRecognizerDirectionRight, {140, 300}, 0.2, false},
        {"too short", UISwipeGestureRecognizerDirectionRight, {245, 300}, 0.2, false},
        {"too far across", UISwipeGestureRecognizerDirectionRight, {250, 330}, 0.2, false},
        {"too slow", UISwipeGestureRecognizerDirectionRight, {260, 300}, 0.6, false},
    };
    for (const Case& c : cases) {
        SetUp();
        Heard heard;
        auto swipe = add<UISwipeGestureRecognizer>(heard);
        swipe->setDirection(c.direction);
        stroke({200, 300}, c.to, c.seconds);
        ui.advance(1);
        EXPECT_EQ(heard.states, c.recognised ? "e" : "") << c.what;
        view->removeFromSuperview();
    }
}

TEST_F(GestureRecognizerTest, ARecognisedPanCancelsTheViewsTouchesUnlessToldNotTo) {
    for (bool cancels : {true, false}) {
        SetUp();
        Heard heard;
        auto pan = add<UIPanGestureRecognizer>(heard);
        pan->setCancelsTouchesInView(cancels);
        stroke({100, 100}, {100, 200}, 0.3);
        const std::string phases = view->phases();
        EXPECT_EQ(phases.substr(0, 2), "bm") << "before the pan began";
        EXPECT_EQ(phases.back(), cancels ? 'c' : 'e');
        EXPECT_EQ(phases.find('m', phases.find_first_not_of("bm")) == std::string::npos, true);
        view->removeFromSuperview();
    }
}

TEST_F(GestureRecognizerTest, OneRecogniserThatBeginsFailsTheOthersUnlessEitherAllowsBoth) {
    for (bool simultaneous : {false, true}) {
        SetUp();
        Heard panned, pressed;
        auto inner = std::make_shared<UIView>(CGRectMake(50, 50, 200, 200));
        view->addSubview(inner);
        auto press = add<UILongPressGestureRecognizer>(pressed, inner.get());
        press->setAllowableMovement(1000);
        auto pan = add<UIPanGestureRecognizer>(panned);
        auto answers = std::make_shared<Answers>();
        answers->simultaneous = simultaneous;
        pan->setDelegate(answers);
        // The press begins first (innermost, at 0.5 s); then the finger moves 50 points.
        ui.driver->touchDown(5, {100, 100});
        ui.advance(0.6);
        for (int i = 1; i <= 5; ++i) {
            ui.advance(0.02);
            ui.driver->touchMove(5, {100, 100 + 10.0 * i});
        }
        ui.driver->touchUp(5, {100, 150});
        EXPECT_EQ(pressed.states.front(), 'b') << simultaneous;
        EXPECT_EQ(pressed.states.back(), 'e') << simultaneous;
        EXPECT_EQ(panned.states.empty(), !simultaneous) << simultaneous;
        view->removeFromSuperview();
    }
}

TEST_F(GestureRecognizerTest, DelegatesAndControlsKeepTouchesFromRecognisers) {
    // A delegate refusing sliders: dragging the slider moves it and no pan begins.
    Heard panned, tapped, refused;
    auto pan = add<UIPanGestureRecognizer>(panned);
    auto answers = std::make_shared<Answers>();
    answers->refuseSliders = true;
    pan->setDelegate(answers);
    auto slider = std::make_shared<UISlider>(CGRectMake(20, 100, 280, 40));
    view->addSubview(slider);
    ui.drag(30, 120, 290, 120);
    EXPECT_EQ(panned.states, "");
    EXPECT_GT(slider->value(), 0.5f);
    ui.drag(30, 300, 290, 300);
    EXPECT_EQ(panned.states.back(), 'e') << "elsewhere the pan works";

    // A single-tap recogniser on an ancestor leaves a button its tap; elsewhere it taps.
    auto tap = add<UITapGestureRecognizer>(tapped);
    auto button = addButton(*view, CGRectMake(20, 400, 100, 50));
    int clicks = 0;
    button->addTarget(
        &clicks, [&](UIControl&, const UIEvent*) { ++clicks; }, UIControlEventTouchUpInside);
    ui.tap(60, 420);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(tapped.states, "");
    ui.tap(200, 500);
    EXPECT_EQ(tapped.states, "e");

    // A delegate refusing to begin fails the recogniser; it is ready again afterwards.
    auto no = std::make_shared<Answers>();
    no->begin = false;
    tap->setDelegate(no);
    ui.tap(200, 500);
    EXPECT_EQ(tapped.states, "e");
    EXPECT_EQ(tap->state(), State::Possible);

    // Disabled recognisers see nothing.
    tap->setDelegate(nullptr);
    tap->setEnabled(false);
    ui.tap(200, 500);
    EXPECT_EQ(tapped.states, "e");
}

TEST_F(GestureRecognizerTest, PinchAndRotationFollowTwoFingers) {
    view->setMultipleTouchEnabled(true);
    Heard pinched, turned;
    auto pinch = add<UIPinchGestureRecognizer>(pinched);
    auto rotation = add<UIRotationGestureRecognizer>(turned);
    auto both = std::make_shared<Answers>();
    both->simultaneous = true;
    pinch->setDelegate(both);
    CGFloat scale = 0, angle = 0, scaleSpeed = 0;
    pinch->addTarget(&scale, [&](UIGestureRecognizer&) { scale = pinch->scale(), scaleSpeed = pinch->velocity(); });
    rotation->addTarget(&angle, [&](UIGestureRecognizer&) { angle = rotation->rotation(); });

    // Two fingers 100 points apart about (200, 300), spreading to 150 while turning a full
    // circle and a quarter clockwise, in 20 steps of 1/20 s.
    auto fingers = [](UITouchPhase phase, CGFloat radius, CGFloat turn) {
        const CGPoint c{200, 300};
        const CGFloat dx = radius * std::cos(turn), dy = radius * std::sin(turn);
        return std::vector<UITouchReport>{{7, phase, {c.x - dx, c.y - dy}, 1, 1},
                                          {8, phase, {c.x + dx, c.y + dy}, 1, 1}};
    };
    ui.driver->sendTouches(fingers(UITouchPhase::Began, 50, 0));
    const CGFloat full = 2.5 * M_PI;
    for (int i = 1; i <= 20; ++i) {
        ui.advance(0.05);
        ui.driver->sendTouches(fingers(UITouchPhase::Moved, 50 + 25 * i / 20.0, full * i / 20));
        if (i == 10) {
            EXPECT_NEAR(pinch->scale(), 1.25, 1e-9);
        }
    }
    EXPECT_NEAR(scale, 1.5, 1e-9);
    EXPECT_NEAR(scaleSpeed, (1.5 - 73.75 / 50) / 0.05, 1e-9) << "over the last step";
    EXPECT_NEAR(angle, full, 1e-9) << "past the half turn the angle keeps counting";
    ui.driver->sendTouches(fingers(UITouchPhase::Ended, 75, full));
    EXPECT_EQ(pinched.states.front(), 'b');
    EXPECT_EQ(pinched.states.back(), 'e');
    EXPECT_EQ(turned.states.back(), 'e');
    EXPECT_EQ(pinch->scale(), 1) << "reset after the gesture";

    // Through the window's input mapping: a Ctrl+wheel notch pinches about the pointer, and
    // Ctrl+drag turns a radian every 60 points.
    const CGFloat px = UIScreen::mainScreen().scale();
    pinched.states.clear();
    ui.driver->wheel({200 * px, 300 * px}, 0, 1, true);
    EXPECT_EQ(pinched.states, "be");
    EXPECT_GT(scale, 1.05);
    ui.driver->wheel({200 * px, 300 * px}, 0, -1, true);
    EXPECT_LT(scale, 0.95);
    ui.driver->mouseDown(UIMouseButton::Left, {200 * px, 300 * px}, 1, true);
    ui.advance(0.1);
    ui.driver->mouseMove({230 * px, 300 * px});
    EXPECT_NEAR(angle, 0.5, 1e-6);
    ui.driver->mouseUp(UIMouseButton::Left, {230 * px, 300 * px});
}
