// The application's motions on the manual clock: the spring fade-and-transform in both
// directions, the navigation bar lifted and sprung back around a change, and the image
// flight between two image views with touches ignored until it lands.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "support/ControllerFixture.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/images/UIImage+ImageUtility.h"

namespace {

class AppAnimationsTest : public ControllerFixture {
protected:
    void TearDown() override {
        AnimationUtility::animateImageTransitions(true);
        AnimationUtility::animateNavigationBarTransitions(true);
        ControllerFixture::TearDown();
    }
    std::shared_ptr<UIView> viewInWindow() {
        auto v = std::make_shared<UIView>(CGRectMake(50, 50, 100, 100));
        window->addSubview(v);
        return v;
    }
};

TEST_F(AppAnimationsTest, FadeAndTransformSpringsEachWayAndFadesOnlyWhenAsked) {
    const CGAffineTransform away = CGAffineTransformMakeScale(0.5, 0.5);
    struct Case {
        bool reverse, fade;
        CGFloat startAlpha, endAlpha;
        CGAffineTransform start, end;
    };
    for (const Case& c : {Case{false, true, 1, 0, {}, away}, Case{true, true, 0.3, 1, away, {}},
                          Case{false, false, 0.6, 0.6, {}, away}, Case{true, false, 0.6, 0.6, away, {}}}) {
        const std::string what = std::to_string(c.reverse) + std::to_string(c.fade);
        auto v = viewInWindow();
        v->setAlpha(c.startAlpha);
        v->setTransform(CGAffineTransformMakeRotation(1));
        bool finished = false;
        AnimationUtility::animateView(v, AnimationUtility::fadeAndTransform(away, c.reverse, 0.4, c.fade),
                                      [&](bool f) { finished = f; });
        EXPECT_EQ(v->layer()->presentation().transform, CATransform3DMakeAffineTransform(c.start)) << what;
        EXPECT_FLOAT_EQ(v->layer()->presentation().opacity, c.startAlpha) << "not touched before the motion " << what;
        advance(0.41);
        EXPECT_TRUE(finished) << what;
        EXPECT_EQ(v->transform(), c.end) << what;
        EXPECT_FLOAT_EQ(v->alpha(), c.endAlpha) << what;
        EXPECT_FALSE(v->isHidden()) << what;
        v->removeFromSuperview();
    }
}

TEST_F(AppAnimationsTest, NavigationBarLiftsRunsTheChangeAndSpringsBack) {
    auto content = std::make_shared<UIViewController>();
    auto navigation = std::make_shared<UINavigationController>(content);
    window->setRootViewController(navigation);
    loop.runUntilIdle();
    auto bar = navigation->navigationBar();
    const CGRect rest = bar->frame();
    ASSERT_GT(rest.size.height, 0);

    std::vector<double> ran;
    AnimationUtility::animateNavigationBarTransitions(false);
    AnimationUtility::animateNavigationBarTransition(*content, [&] { ran.push_back(loop.now()); });
    EXPECT_EQ(ran, (std::vector<double>{kStart})) << "switched off: at once";
    EXPECT_EQ(bar->layer()->animationKeys().size(), 0u);

    // Nothing on the item: the bar leaves at once, the change runs, the bar is back in 0.2 s.
    AnimationUtility::animateNavigationBarTransitions(true);
    AnimationUtility::animateNavigationBarTransition(*content, [&] {
        ran.push_back(loop.now());
        EXPECT_EQ(bar->frame().origin.y, rest.origin.y - rest.size.height) << "lifted while the change runs";
    });
    loop.runUntilIdle();
    ASSERT_EQ(ran.size(), 2u);
    EXPECT_EQ(ran[1], kStart);
    EXPECT_EQ(bar->frame(), rest) << "the model is back at once";
    advance(0.1);
    EXPECT_GT(std::abs(bar->layer()->presentation().position.y - (rest.origin.y + rest.size.height / 2)), 0.5)
        << "still springing";
    advance(0.11);
    EXPECT_NEAR(bar->layer()->presentation().position.y, rest.origin.y + rest.size.height / 2, 1e-6);

    // A title view makes the lift take 0.1 s before the change.
    content->navigationItem().setTitleView(std::make_shared<UIView>(CGRectMake(0, 0, 40, 20)));
    AnimationUtility::animateNavigationBarTransition(*content, [&] { ran.push_back(loop.now()); });
    advance(0.05);
    EXPECT_EQ(ran.size(), 2u);
    advance(0.06);
    ASSERT_EQ(ran.size(), 3u);
    EXPECT_NEAR(ran[2], loop.now() - 0.01, 0.02);
}

TEST_F(AppAnimationsTest, ImageFlightIgnoresTouchesAndKeepsTheTargetHiddenUntilItLands) {
    for (bool animate : {true, false}) {
        AnimationUtility::animateImageTransitions(animate);
        const std::string what = animate ? "animated" : "switched off";
        auto host = viewInWindow();
        host->setFrame(CGRectMake(0, 0, 375, 667));
        auto from = std::make_shared<UIImageView>(CGRectMake(10, 20, 40, 40));
        from->setImage(ImageUtility::imageWithColor(UIColor::redColor(), {80, 40}));
        from->setContentMode(UIViewContentMode::ScaleAspectFit);
        auto to = std::make_shared<UIImageView>(CGRectMake(100, 200, 150, 150));
        to->setContentMode(UIViewContentMode::ScaleAspectFill);
        host->addSubview(from);
        host->addSubview(to);

        std::vector<std::string> log;
        std::shared_ptr<UIImageView> flying;
        AnimationUtility::ImageFlight flight;
        flight.dissolveView = host;
        flight.start = [&] { log.push_back("start"); };
        flight.transition = [&] { log.push_back("transition"); };
        flight.imageTransition = [&](const std::shared_ptr<UIImageView>& v, AnimationCompletion done) {
            flying = v;
            log.push_back("image");
            EXPECT_EQ(v->frame(), CGRectMake(10, 30, 40, 20)) << "fitted to the picture " << what;
            EXPECT_EQ(v->superview(), host.get()) << what;
            EXPECT_EQ(to->alpha(), 0) << what;
            done(true);
        };
        flight.completion = [&](bool finished) { log.push_back(finished ? "done" : "cut"); };
        AnimationUtility::animateImageView(from, to, host, flight);
        loop.runUntilIdle();
        ASSERT_TRUE(flying) << what;
        if (animate) {
            EXPECT_TRUE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
            advance(0.3);
            EXPECT_EQ(to->alpha(), 0) << "hidden while the picture flies";
            EXPECT_NE(flying->layer()->presentation().position, CGPointMake(175, 275)) << "still flying";
            advance(0.31);
        }
        EXPECT_EQ(log, (std::vector<std::string>{"start", "image", "transition", "done"})) << what;
        EXPECT_EQ(flying->frame(), to->frame()) << what;
        EXPECT_EQ(flying->contentMode(), UIViewContentMode::ScaleAspectFill) << what;
        EXPECT_EQ(flying->superview(), nullptr) << what;
        EXPECT_EQ(to->alpha(), 1) << what;
        EXPECT_FALSE(UIApplication::sharedApplication().isIgnoringInteractionEvents()) << what;
        host->removeFromSuperview();
    }
}

}  // namespace
