// The fade and zoom animators driving real presentations on the manual clock: what the screen
// shows mid-way, when the new screen moves, and how cancelled transitions end.
#include <gtest/gtest.h>

#include <functional>

#include "support/ControllerFixture.h"
#include "ui/animation/FadeAnimationController.h"
#include "ui/animation/ZoomAnimationController.h"

namespace {

// Vends the animator for both directions (reversed for dismissals) and keeps the last context
// and how each transition ended.
struct Vendor : UIViewControllerTransitioningDelegate, UIViewControllerAnimatedTransitioning {
    std::shared_ptr<TransitionAnimationController> animator;
    UIViewControllerContextTransitioning* context = nullptr;
    std::vector<bool> ended;

    std::shared_ptr<UIViewControllerAnimatedTransitioning> self() {
        return std::shared_ptr<UIViewControllerAnimatedTransitioning>(std::shared_ptr<void>(), this);
    }
    std::shared_ptr<UIViewControllerAnimatedTransitioning> animationControllerForPresentedController(
        UIViewController&, UIViewController&, UIViewController&) override {
        animator->setReverse(false);
        return self();
    }
    std::shared_ptr<UIViewControllerAnimatedTransitioning> animationControllerForDismissedController(
        UIViewController&) override {
        animator->setReverse(true);
        return self();
    }
    NSTimeInterval transitionDuration(UIViewControllerContextTransitioning* c) override {
        return animator->transitionDuration(c);
    }
    void animateTransition(UIViewControllerContextTransitioning& c) override {
        context = &c;
        animator->animateTransition(c);
    }
    void animationEnded(bool completed) override { ended.push_back(completed); }
};

class TransitionAnimatorTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        root = std::make_shared<UIViewController>();
        root->view()->setBackgroundColor(UIColor::redColor());
        window->setRootViewController(root);
        shown = std::make_shared<UIViewController>();
        shown->view()->setBackgroundColor(UIColor::blueColor());
        vendor = std::make_shared<Vendor>();
        shown->setTransitioningDelegate(vendor);
    }
    void advanceTo(double t) { loop.advanceTo(kStart + t); }

    // How many points of the row at y show the red screen.
    double redWidth(const CGImageRef& shot, double y) {
        const double scale = UIScreen::mainScreen().scale();
        int n = 0;
        for (std::size_t x = 0; x < CGImageGetWidth(shot); ++x) {
            const CGColor c = CGImageGetPixel(shot, x, static_cast<std::size_t>(y * scale));
            n += c.r > 0.6 && c.g < 0.5 && c.b < 0.5;
        }
        return n / scale;
    }
    double shownTop() { return shown->view()->layer()->presentation().position.y - 667.0 / 2; }

    std::shared_ptr<UIViewController> root, shown;
    std::shared_ptr<Vendor> vendor;
};

}  // namespace

TEST_F(TransitionAnimatorTest, ZoomTipsTheOldScreenBackWhileTheNewOneRisesAfterItsDelay) {
    auto zoom = std::make_shared<ZoomAnimationController>();
    vendor->animator = zoom;
    EXPECT_EQ(zoom->duration(), 0.4000000059604645);
    int presented = 0;
    root->presentViewController(shown, true, [&] { ++presented; });

    advanceTo(0.1);
    const CGImageRef mid = screenshot();
    const double top = redWidth(mid, 100), bottom = redWidth(mid, 480);
    EXPECT_LT(top, bottom - 20) << "the old screen is narrower at its top mid-zoom";
    EXPECT_LT(bottom, 375) << "and smaller";
    EXPECT_GT(top, 200);
    EXPECT_EQ(redWidth(mid, 20), 0) << "its top edge tipped away";
    EXPECT_NEAR(shownTop(), 667, 0.5) << "the new screen waits";

    advanceTo(0.34);
    EXPECT_GT(shownTop(), 1);
    EXPECT_LT(shownTop(), 660) << "rising";
    advanceTo(0.6);
    loop.runUntilIdle();
    EXPECT_NEAR(shownTop(), 0, 1e-6);
    EXPECT_EQ(vendor->ended, std::vector<bool>{true});
    EXPECT_EQ(presented, 1);
    expectColor(meanColorInPoints(screenshot(), {{10, 10}, {355, 647}}, 2), {0, 0, 1, 1}, "presented");

    // The dismissal brings the old screen forward again, whole.
    shown->dismissViewControllerAnimated(true);
    advanceTo(2);
    loop.runUntilIdle();
    EXPECT_EQ(vendor->ended, (std::vector<bool>{true, true}));
    EXPECT_EQ(root->view()->superview(), window.get());
    EXPECT_NEAR(redWidth(screenshot(), 40), 375, 0.5);
    expectColor(meanColorInPoints(screenshot(), {{10, 10}, {355, 647}}, 2), {1, 0, 0, 1}, "back");
}

TEST_F(TransitionAnimatorTest, ACancelledTransitionCompletesWithNoAndLeavesTheOldScreen) {
    const std::function<std::shared_ptr<TransitionAnimationController>()> animators[] = {
        [] { return std::make_shared<FadeAnimationController>(); },
        [] { return std::make_shared<ZoomAnimationController>(); },
    };
    for (const auto& make : animators) {
        vendor->animator = make();
        vendor->ended.clear();
        int presented = 0;
        root->presentViewController(shown, true, [&] { ++presented; });
        ASSERT_NE(vendor->context, nullptr);
        advanceTo(loop.now() - kStart + 0.1);
        vendor->context->cancelInteractiveTransition();
        advanceTo(loop.now() - kStart + 1);
        loop.runUntilIdle();
        EXPECT_EQ(vendor->ended, std::vector<bool>{false});
        EXPECT_EQ(presented, 0);
        EXPECT_EQ(root->presentedViewController(), nullptr);
        EXPECT_EQ(root->view()->superview(), window.get());
        EXPECT_EQ(shown->view()->superview(), nullptr);
        if (std::dynamic_pointer_cast<FadeAnimationController>(vendor->animator)) {
            EXPECT_EQ(root->view()->alpha(), 1);
            expectColor(meanColorInPoints(screenshot(), {{10, 10}, {355, 647}}, 2), {1, 0, 0, 1}, "old screen");
        }
        vendor->context = nullptr;
    }
}

TEST_F(TransitionAnimatorTest, FadeShowsTheNewScreenThroughTheFadingOldOne) {
    vendor->animator = std::make_shared<FadeAnimationController>();
    root->presentViewController(shown, true);
    advanceTo(0.2);
    const CGColor mid = meanColorInPoints(screenshot(), {{10, 10}, {355, 647}}, 2);
    EXPECT_GT(mid.r, 0.2);
    EXPECT_GT(mid.b, 0.2);
    advanceTo(0.5);
    loop.runUntilIdle();
    EXPECT_EQ(vendor->ended, std::vector<bool>{true});
    EXPECT_EQ(root->view()->superview(), nullptr);
    EXPECT_EQ(root->view()->alpha(), 1);
}
