#include "screens/splash/SplashViewController.h"

#include <numbers>
#include <utility>

#include "model/DeviceUtility.h"
#include "platform/foundation/Dispatch.h"
#include "platform/uikit/UIApplication.h"
#include "ui/animation/PositioningUtility.h"
#include "ui/animation/ViewUtility.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/GradientView.h"

namespace {

constexpr double kSpringDamping = 0.7;
constexpr double kSpringVelocity = 4.0;
constexpr CGFloat kBackgroundScale = 1.5;
constexpr CGFloat kGlowAlpha = 0.4;
constexpr CGFloat kLabelAlpha = 0.6;
constexpr CGFloat kLabelFontSize = 17;

}  // namespace

void SplashViewController::presentSplashIfNeeded(UIView& host, bool waitForCompletion, Completion completion) {
    if (!shouldShowSplash()) {
        if (completion) completion();
        return;
    }
    auto controller = std::make_shared<SplashViewController>();
    controller->view()->setFrame(host.bounds());
    // The block holds the controller until the fade has removed its view.
    controller->setCompletedBlock([controller, completion](bool) {
        if (completion) completion();
        ViewUtility::fadeOutAndRemoveViewOfController(controller, kFadeDuration);
    });
    host.addSubview(controller->view());
    controller->animateSplashView(true, waitForCompletion, nullptr);
}

CGFloat SplashViewController::labelRelativeCenterY() {
    if (DeviceUtility::isIPad())
        return UIInterfaceOrientationIsLandscape(UIApplication::sharedApplication().statusBarOrientation()) ? 0.45
                                                                                                            : 0.48;
    if (DeviceUtility::has4InchDisplay()) return 0.42;
    if (DeviceUtility::has3Point5InchDisplay()) return 0.39;
    return 0.44;
}

SplashViewController::~SplashViewController() {
    // The background's long spring would otherwise run on after the splash is gone.
    if (!backgroundView_) return;
    backgroundView_->stopAnimatingImmediately();
    backgroundView_->layer()->removeAllAnimations();
}

void SplashViewController::viewDidLoad() {
    UIViewController::viewDidLoad();
    buildViews();
    backgroundView_ = AppAppearance::defaultGradientView(view()->bounds());
    backgroundView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    view()->insertSubview(backgroundView_, 0);
    glowView_->setAlpha(kGlowAlpha);
    label_->setTextColor(UIColor::whiteColor());
    label_->setFont(AppAppearance::defaultFontOfSize(kLabelFontSize));
    label_->setAlpha(kLabelAlpha);
}

void SplashViewController::viewWillLayoutSubviews() {
    UIViewController::viewWillLayoutSubviews();
    for (UIView* logo : {outsideView_.get(), insideView_.get(), glowView_.get()})
        PositioningUtility::positionViewAtRelativeCenterY(*logo, kLogoRelativeCenterY, *backgroundView_);
    PositioningUtility::positionViewAtRelativeCenterY(*label_, labelRelativeCenterY(), *backgroundView_);
}

void SplashViewController::animateSplashView(bool, bool waitForCompletion, CompletedBlock completion) {
    view();
    const CGAffineTransform start = CGAffineTransformConcat(CGAffineTransformMakeRotation(std::numbers::pi / 2),
                                                            CGAffineTransformMakeScale(0.5, 0.5));
    outsideView_->setTransform(start);
    glowView_->setTransform(start);
    const std::shared_ptr<GradientView> background = backgroundView_;
    UIView::animateWithDuration(
        kBackgroundDuration, kSpringDelay, kSpringDamping, kSpringVelocity, 0,
        [background] { background->setTransform(CGAffineTransformMakeScale(kBackgroundScale, kBackgroundScale)); },
        nullptr);
    const std::weak_ptr<SplashViewController> weak = std::static_pointer_cast<SplashViewController>(shared_from_this());
    UIView::animateWithDuration(
        kLogoDuration, kSpringDelay, kSpringDamping, kSpringVelocity, 0,
        [outside = outsideView_, glow = glowView_] {
            outside->setTransform(CGAffineTransformIdentity);
            glow->setTransform(CGAffineTransformIdentity);
        },
        [weak, waitForCompletion, completion](bool) {
            if (auto self = weak.lock(); self && waitForCompletion) self->giveWay(completion);
        });
    if (waitForCompletion) return;
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, static_cast<int64_t>(kNoWaitDelay * 1e9)),
                   dispatch_get_main_queue(), [weak, completion] {
                       if (auto self = weak.lock()) self->giveWay(completion);
                   });
}

void SplashViewController::giveWay(const CompletedBlock& completion) {
    if (completion) completion(true);
    if (const CompletedBlock block = std::exchange(completedBlock_, nullptr)) block(true);
}
