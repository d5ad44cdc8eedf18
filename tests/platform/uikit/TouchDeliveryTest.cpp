// Touch delivery through the window on the manual clock: hit-testing where views are drawn,
// the pass-over rules, the responder chain, multiple touches, ignoring, and the gesture hook.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/uikit/UIViewController.h"
#include "support/TouchHarness.h"
#include "support/TouchRecorder.h"

namespace {

class TouchDeliveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        back = std::make_shared<TouchRecorder>(ui.window->bounds());
        front = std::make_shared<TouchRecorder>(CGRectMake(100, 100, 100, 100));
        ui.window->addSubview(back);
        back->addSubview(front);
    }
    TouchHarness ui;
    std::shared_ptr<TouchRecorder> back, front;
};

}  // namespace

TEST_F(TouchDeliveryTest, PassedOverViewsLeaveTheTouchToTheViewBelow) {
    struct Case {
        const char* what;
        std::function<void(UIView&)> change;
        bool frontTakes;
    };
    const Case cases[] = {
        {"plain", [](UIView&) {}, true},
        {"hidden", [](UIView& v) { v.setHidden(true); }, false},
        {"alpha 0.01", [](UIView& v) { v.setAlpha(0.01); }, false},
        {"alpha 0.02", [](UIView& v) { v.setAlpha(0.02); }, true},
        {"interaction off", [](UIView& v) { v.setUserInteractionEnabled(false); }, false},
        {"animating", [](UIView& v) { UIView::animateWithDuration(1, [&] { v.setAlpha(0.5); }); }, false},
        {"animating, interaction allowed",
         [](UIView& v) {
             UIView::animateWithDuration(
                 1, 0, UIViewAnimationOptionAllowUserInteraction, [&] { v.setAlpha(0.5); }, nullptr);
         },
         true},
    };
    for (const Case& c : cases) {
        SetUp();
        c.change(*front);
        ui.tap(150, 150);
        EXPECT_EQ(front->phases(), c.frontTakes ? "be" : "") << c.what;
        EXPECT_EQ(back->phases(), c.frontTakes ? "" : "be") << c.what;
        ui.advance(1);
    }
}

TEST_F(TouchDeliveryTest, AMovingViewTakesTouchesWhereItIsDrawn) {
    // Moving 200 points down over 1 s: at half time it is drawn 100 points below its start,
    // while its model position is already the end.
    UIView::animateWithDuration(
        1, 0, UIViewAnimationOptionAllowUserInteraction | UIViewAnimationOptionCurveLinear,
        [&] {
            front->setCenter({150, 350});
        },
        nullptr);
    ui.advance(0.5);
    ui.tap(150, 350);  // the model's place: nothing drawn there yet
    EXPECT_EQ(front->phases(), "");
    ui.tap(150, 270);  // 0.05 s later (the first tap): drawn at (150, 260)
    ASSERT_EQ(front->phases(), "be");
    EXPECT_EQ(front->records[0].location, (CGPoint{50, 60})) << "located where it is drawn";
    EXPECT_EQ(back->phases(), "be");

    // A button moving the same way counts a lift where it is drawn as inside.
    auto button = addButton(*ui.window, CGRectMake(200, 100, 100, 100));
    std::vector<UIControlEvents> events;
    recordControlEvents(*button, {UIControlEventTouchUpInside, UIControlEventTouchUpOutside}, events);
    UIView::animateWithDuration(
        1, 0, UIViewAnimationOptionAllowUserInteraction | UIViewAnimationOptionCurveLinear,
        [&] {
            button->setCenter({250, 550});
        },
        nullptr);
    ui.advance(0.5);
    ui.tap(250, 350);
    EXPECT_EQ(events, std::vector<UIControlEvents>{UIControlEventTouchUpInside});
}

TEST_F(TouchDeliveryTest, ATouchFindsViewsWhereTheirPendingLayoutPutsThem) {
    struct Container : UIView {
        using UIView::UIView;
        void layoutSubviews() override { subviews().front()->setFrame(CGRectMake(0, 400, 100, 100)); }
    };
    auto container = std::make_shared<Container>(ui.window->bounds());
    auto child = std::make_shared<TouchRecorder>(CGRectZero);
    container->addSubview(child);
    ui.window->addSubview(container);
    ui.tap(50, 450);
    EXPECT_EQ(child->phases(), "be");
}

TEST_F(TouchDeliveryTest, UnhandledTouchesClimbTheResponderChainWithTheirDetails) {
    auto plain = std::make_shared<UIView>(CGRectMake(10, 10, 30, 30));
    front->addSubview(plain);
    ui.driver->touchDown(7, {120, 125}, 2.5, 2);
    ui.driver->touchMove(7, {130, 125}, 3);
    ui.driver->touchUp(7, {130, 125});
    ASSERT_EQ(front->phases(), "bme");
    EXPECT_EQ(front->records[0].location, (CGPoint{20, 25}));
    EXPECT_EQ(front->records[0].tapCount, 2);
    EXPECT_EQ(front->records[1].force, 3);
    EXPECT_EQ(front->records[1].location, (CGPoint{30, 25}));
    EXPECT_EQ(back->phases(), "");  // the front view took them
    EXPECT_EQ(ui.window->activeTouchCount(), 0u);
}

TEST_F(TouchDeliveryTest, UnhandledTouchesReachTheControllerOfARootViewThenItsSuperview) {
    struct Catcher : UIViewController {
        void touchesBegan(const UITouchSet&, const UIEvent*) override { seen += 'b'; }
        void touchesEnded(const UITouchSet&, const UIEvent*) override { seen += 'e'; }
        std::string seen;
    };
    auto catcher = std::make_shared<Catcher>();
    auto passer = std::make_shared<UIViewController>();
    catcher->view()->setFrame(CGRectMake(0, 400, 100, 100));
    passer->view()->setFrame(CGRectMake(200, 400, 100, 100));
    back->addSubview(catcher->view());
    back->addSubview(passer->view());
    ui.tap(50, 450);
    EXPECT_EQ(catcher->seen, "be");
    EXPECT_EQ(back->phases(), "");
    ui.tap(250, 450);
    EXPECT_EQ(back->phases(), "be") << "a controller that does not handle them passes them on";
}

TEST_F(TouchDeliveryTest, ASecondFingerOnAViewReachesItOnlyWhenMultipleTouchIsEnabled) {
    for (bool multiple : {false, true}) {
        SetUp();
        front->setMultipleTouchEnabled(multiple);
        ui.driver->touchDown(1, {110, 110});
        ui.driver->touchDown(2, {150, 150});
        ui.driver->sendTouches(
            {{1, UITouchPhase::Moved, {112, 110}, 1, 1}, {2, UITouchPhase::Moved, {152, 150}, 1, 1}});
        ui.driver->touchUp(2, {152, 150});
        ui.driver->touchUp(1, {112, 110});
        EXPECT_EQ(front->phases(), multiple ? "bbmmee" : "bme") << multiple;
        if (multiple) {
            EXPECT_EQ(front->records[2].count, 2u) << "both moves arrive in one call";
        }
        EXPECT_EQ(back->phases(), "") << "a dropped finger goes to nobody";
    }
}

TEST_F(TouchDeliveryTest, AnExclusiveViewTakesNoTouchBesideOthersAndLeavesThemNone) {
    // The first finger on one view, the second on the other: with either exclusive, the
    // second finger goes to nobody until the first lifts.
    for (bool frontExclusive : {true, false}) {
        SetUp();
        (frontExclusive ? front : back)->setExclusiveTouch(true);
        for (bool frontFirst : {true, false}) {
            front->records.clear(), back->records.clear();
            const CGPoint onFront{150, 150}, onBack{20, 20};
            ui.driver->touchDown(1, frontFirst ? onFront : onBack);
            ui.driver->touchDown(2, frontFirst ? onBack : onFront);
            ui.driver->touchUp(2, frontFirst ? onBack : onFront);
            ui.driver->touchUp(1, frontFirst ? onFront : onBack);
            EXPECT_EQ((frontFirst ? front : back)->phases(), "be") << frontExclusive << frontFirst;
            EXPECT_EQ((frontFirst ? back : front)->phases(), "") << frontExclusive << frontFirst;
            // Once lifted, the other view takes touches again.
            ui.driver->touchDown(3, frontFirst ? onBack : onFront);
            ui.driver->touchUp(3, frontFirst ? onBack : onFront);
            EXPECT_EQ((frontFirst ? back : front)->phases(), "be");
        }
    }
}

TEST_F(TouchDeliveryTest, NoTouchBeginsWhileTheApplicationIgnoresThem) {
    UIApplication& app = UIApplication::sharedApplication();
    ui.driver->touchDown(1, {150, 150});  // already down: finishes normally
    app.beginIgnoringInteractionEvents();
    app.beginIgnoringInteractionEvents();
    ui.tap(120, 120);
    ui.driver->touchUp(1, {150, 150});
    EXPECT_EQ(front->phases(), "be");
    app.endIgnoringInteractionEvents();
    ui.tap(120, 120);
    EXPECT_EQ(front->phases(), "be") << "still ignoring once";
    app.endIgnoringInteractionEvents();
    ui.tap(120, 120);
    EXPECT_EQ(front->phases(), "bebe");
    EXPECT_EQ(back->phases(), "");
}

TEST_F(TouchDeliveryTest, TheGestureHookSeesTouchesFirstAndCancelsThemInTheView) {
    std::string seen;
    bool keep = true;
    UIWindow::setGestureHook([&](UITouchPhase phase, const UITouchSet& changed, const UIEvent& event) {
        seen += std::to_string(static_cast<int>(phase)) + ":" + std::to_string(front->records.size()) + " ";
        EXPECT_EQ(changed.front()->view.lock().get(), front.get());
        return keep;
    });
    ui.driver->touchDown(1, {150, 150});
    ui.driver->touchMove(1, {155, 150});
    keep = false;  // a recogniser has recognised: the view's touch is cancelled once
    ui.driver->touchMove(1, {160, 150});
    ui.driver->touchUp(1, {160, 150});
    UIWindow::setGestureHook(nullptr);
    EXPECT_EQ(seen, "0:0 1:1 1:2 3:3 ");
    EXPECT_EQ(front->phases(), "bmc");
    EXPECT_EQ(ui.window->activeTouchCount(), 0u);
}
