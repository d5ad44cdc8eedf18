// Modal presentation on the manual clock: the default slide over the full screen, the pad's
// panel at its anchor, refusals while a transition runs, and custom animators on the context.
#include <gtest/gtest.h>

#include "support/ControllerFixture.h"
#include "platform/quartzcore/ExpectGeometry.h"

namespace {

using Log = std::vector<std::string>;

class PresentationTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        root = std::make_shared<LoggingController>("root", UIColor::redColor(), &log);
        window->setRootViewController(root);
        shown = std::make_shared<LoggingController>("shown", UIColor::blueColor(), &log);
        log.clear();
    }
    Log log;
    std::shared_ptr<LoggingController> root, shown;
};

// An animator that only records the context and leaves the ending to the test.
struct HeldAnimator : UIViewControllerAnimatedTransitioning {
    UIViewControllerContextTransitioning* context = nullptr;
    std::vector<bool> ended;
    NSTimeInterval transitionDuration(UIViewControllerContextTransitioning*) override { return 1; }
    void animateTransition(UIViewControllerContextTransitioning& c) override {
        context = &c;
        c.containerView()->addSubview(c.viewForKey(UITransitionContextToViewKey));
    }
    void animationEnded(bool completed) override { ended.push_back(completed); }
};

struct Vendor : UIViewControllerTransitioningDelegate {
    std::shared_ptr<UIViewControllerAnimatedTransitioning> animator;
    std::shared_ptr<UIViewControllerAnimatedTransitioning> animationControllerForPresentedController(
        UIViewController&, UIViewController&, UIViewController&) override {
        return animator;
    }
    std::shared_ptr<UIViewControllerAnimatedTransitioning> animationControllerForDismissedController(
        UIViewController&) override {
        return animator;
    }
};

}  // namespace

TEST_F(PresentationTest, FullScreenSlidesUpCoversTheScreenAndDismissalPutsThePresenterBack) {
    int presented = 0, dismissed = 0;
    root->presentViewController(shown, true, [&] { ++presented; });
    EXPECT_EQ(log, (Log{"shown+will", "root-will"}));
    EXPECT_TRUE(shown->isBeingPresented());
    EXPECT_TRUE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
    root->presentViewController(std::make_shared<UIViewController>(), false);
    EXPECT_EQ(root->presentedViewController(), shown.get()) << "a second presentation is refused";

    advance(0.15);
    const double y = shown->view()->layer()->presentation().position.y - 667.0 / 2;
    EXPECT_GT(y, 100);
    EXPECT_LT(y, 567) << "half-way up";
    CGImageRef shot = screenshot();
    EXPECT_GT(meanAt(shot, {{10, 10}, {50, 50}}).r, 0.9) << "the presenter shows above the rising view";
    advance(0.2);
    loop.runUntilIdle();
    EXPECT_EQ(presented, 1);
    EXPECT_FALSE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
    EXPECT_EQ(log, (Log{"shown+will", "root-will", "shown+did", "root-did"}));
    EXPECT_EQ(root->view()->window(), nullptr) << "the covered view leaves the window";
    EXPECT_EQ(shown->presentingViewController(), root.get());
    expectColor(meanAt(screenshot(), {{10, 10}, {355, 647}}), {0, 0, 1, 1}, "presented");

    log.clear();
    shown->dismissViewControllerAnimated(true, [&] { ++dismissed; });
    EXPECT_EQ(log, (Log{"shown-will", "root+will"}));
    advance(0.35);
    loop.runUntilIdle();
    EXPECT_EQ(dismissed, 1);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(root->view()->superview(), window.get());
    EXPECT_EQ(window->subviews().size(), 1u) << "the container is gone";
    expectColor(meanAt(screenshot(), {{10, 10}, {355, 647}}), {1, 0, 0, 1}, "presenter back");
}

TEST_F(PresentationTest, OnThePadAPanelShowsUnderItsAnchorOverThePresenter) {
    window->setRootViewController(nullptr);
    window.reset();
    ui = std::make_unique<TouchHarness>(UIDeviceProfile::pad());
    loop.useManualClock(kStart);
    window = ui->window;
    window->setRootViewController(root);
    const CGSize screen = window->bounds().size;
    auto anchor = std::make_shared<UIView>(CGRectMake(100, 200, 60, 40));
    root->view()->addSubview(anchor);
    shown->setModalPresentationStyle(UIModalPresentationStyle::Popover);
    shown->setPreferredContentSize({300, 200});
    shown->setPopoverSource(anchor, anchor->bounds());
    root->presentViewController(shown, false);
    loop.runUntilIdle();
    // Centred under the anchor (x 130), kept on the screen.
    expectRect(shown->view()->frame(), CGRectMake(0, 240, 300, 200), "panel");
    EXPECT_EQ(root->view()->window(), window.get()) << "the presenter stays under a panel";
    const CGImageRef shot = screenshot();
    EXPECT_GT(meanAt(shot, {{screen.width - 60, screen.height - 60}, {40, 40}}).r, 0.9);
    expectColor(meanAt(shot, {{20, 260}, {260, 160}}), {0, 0, 1, 1}, "panel");
    shown->dismissViewControllerAnimated(false);
    loop.runUntilIdle();
    EXPECT_EQ(shown->view()->window(), nullptr);
}

TEST_F(PresentationTest, ACustomAnimatorEndsTheTransitionAndACancelledOneLeavesEverythingAsBefore) {
    auto vendor = std::make_shared<Vendor>();
    auto held = std::make_shared<HeldAnimator>();
    vendor->animator = held;
    shown->setTransitioningDelegate(vendor);
    int presented = 0;
    root->presentViewController(shown, true, [&] { ++presented; });
    ASSERT_NE(held->context, nullptr);
    EXPECT_EQ(held->context->viewControllerForKey(UITransitionContextFromViewControllerKey), root);
    EXPECT_EQ(held->context->viewForKey(UITransitionContextFromViewKey), root->view());
    EXPECT_TRUE(root->view()->isDescendantOfView(held->context->containerView().get()));
    held->context->cancelInteractiveTransition();
    held->context->completeTransition(false);
    EXPECT_EQ(held->ended, std::vector<bool>{false});
    EXPECT_EQ(presented, 0);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(root->view()->superview(), window.get());
    EXPECT_EQ(shown->view()->superview(), nullptr);
    EXPECT_EQ(log, (Log{"shown+will", "root-will", "shown-will", "root+will", "shown-did", "root+did"}));

    // Presenting again works, and the animator dismisses too.
    held->context = nullptr;
    root->presentViewController(shown, true, [&] { ++presented; });
    held->context->completeTransition(true);
    EXPECT_EQ(presented, 1);
    shown->dismissViewControllerAnimated(true);
    ASSERT_NE(held->context, nullptr);
    EXPECT_EQ(held->context->viewControllerForKey(UITransitionContextToViewControllerKey), root);
    held->context->completeTransition(true);
    EXPECT_EQ(root->view()->superview(), window.get());
    EXPECT_EQ(root->presentedViewController(), nullptr);
}
