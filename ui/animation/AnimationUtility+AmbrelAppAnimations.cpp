// AnimationUtility: the application's own motions.
#include <utility>

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIViewController.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/animation/PositioningUtility.h"
#include "ui/images/UIImage+ImageUtility.h"

namespace {

// The springs' dampings are single-precision values.
const CGFloat kFadeDamping = static_cast<CGFloat>(0.8f);
const CGFloat kFlightDamping = static_cast<CGFloat>(0.7f);
constexpr CGFloat kSpringVelocity = 1.0;

bool& navigationBarSwitch() {
    static bool on = true;
    return on;
}

bool& imageSwitch() {
    static bool on = true;
    return on;
}

}  // namespace

AnimationBlock AnimationUtility::fadeAndTransform(CGAffineTransform transform, bool reverse, NSTimeInterval duration,
                                                  bool shouldFade) {
    return [transform, reverse, duration, shouldFade](const std::shared_ptr<UIView>& view, NSTimeInterval delay,
                                                      AnimationCompletion completion) {
        view->setTransform(reverse ? transform : CGAffineTransformIdentity);
        UIView* v = view.get();
        UIView::animateWithDuration(
            duration, delay, kFadeDamping, kSpringVelocity, 0,
            [v, transform, reverse, shouldFade] {
                if (shouldFade) v->setAlpha(reverse ? 1 : 0);
                v->setTransform(reverse ? CGAffineTransformIdentity : transform);
            },
            std::move(completion));
    };
}

void AnimationUtility::animateNavigationBarTransition(UIViewController& controller, std::function<void()> block) {
    UINavigationController* navigation = controller.navigationController();
    if (!navigationBarSwitch() || !navigation) {
        if (block) block();
        return;
    }
    const UINavigationItem& item = controller.navigationItem();
    const bool showsSomething = item.rightBarButtonItem() || item.leftBarButtonItem() || item.titleView();
    std::shared_ptr<UIView> bar = navigation->navigationBar();
    UIView::animateWithDuration(
        showsSomething ? kNavigationBarLift : 0,
        [bar] { bar->setFrame(rectOffsetY(bar->frame(), -bar->frame().size.height)); },
        [bar, block = std::move(block)](bool) {
            if (block) block();
            UIView::animateWithDuration(
                kNavigationBarReturn, 0, kFlightDamping, kSpringVelocity, 0,
                [bar] { bar->setFrame(rectOffsetY(bar->frame(), bar->frame().size.height)); }, nullptr);
        });
}

void AnimationUtility::animateImage(const UIImagePtr& image, CGRect frame, UIViewContentMode contentMode,
                                    FrameBlock toFrame, UIViewContentMode toContentMode,
                                    const std::shared_ptr<UIView>& hostView, ImageFlight flight) {
    UIApplication::sharedApplication().beginIgnoringInteractionEvents();
    auto imageView = std::make_shared<UIImageView>(frame);
    imageView->setContentMode(contentMode);
    imageView->setImage(image);
    imageView->setClipsToBounds(true);
    if (contentMode == UIViewContentMode::ScaleAspectFit && image) {
        const CGSize fitted =
            ImageUtility::resizedImageSizeForImageSize(image->size(), contentMode, imageView->bounds().size);
        imageView->setFrame(PositioningUtility::rectWithSizeCenteredInRect(fitted, imageView->frame()));
    }
    const bool animate = imageSwitch();
    const double s = animate ? 1 : 0;
    auto shared = std::make_shared<ImageFlight>(std::move(flight));

    auto third = [=](bool) {
        UIView::transitionWithView(
            shared->dissolveView, kImageDissolve * s, UIViewAnimationOptionTransitionCrossDissolve,
            [shared] {
                if (shared->transition) shared->transition();
            },
            nullptr);
        UIView::animateWithDuration(
            kImageFlight * s, 0, kFlightDamping, kSpringVelocity, 0,
            [imageView, toFrame, toContentMode] {
                imageView->setContentMode(toContentMode);
                imageView->setFrame(toFrame());
            },
            [imageView, shared](bool finished) {
                imageView->removeFromSuperview();
                UIApplication::sharedApplication().endIgnoringInteractionEvents();
                if (shared->completion) shared->completion(finished);
            });
    };
    auto second = [=](bool) {
        if (shared->imageTransition) shared->imageTransition(imageView, third);
        else third(true);
    };
    auto place = [shared, imageView, hostView] {
        if (shared->start) shared->start();
        hostView->addSubview(imageView);
    };
    if (animate) {
        UIView::transitionWithView(shared->dissolveView, 0, UIViewAnimationOptionTransitionCrossDissolve, place,
                                   second);
    } else {
        place();
        second(true);
    }
}

void AnimationUtility::animateImageView(const std::shared_ptr<UIImageView>& from,
                                        const std::shared_ptr<UIImageView>& to, const std::shared_ptr<UIView>& hostView,
                                        ImageFlight flight) {
    animateImageBetweenViews(from->image(), from, from->contentMode(), to, to->contentMode(), hostView,
                             std::move(flight));
}

void AnimationUtility::animateImageBetweenViews(const UIImagePtr& image, const std::shared_ptr<UIView>& from,
                                                UIViewContentMode fromMode, const std::shared_ptr<UIView>& to,
                                                UIViewContentMode toMode, const std::shared_ptr<UIView>& hostView,
                                                ImageFlight flight) {
    const CGRect frame =
        from->superview() ? from->superview()->convertRectToView(from->frame(), hostView.get()) : from->frame();
    std::weak_ptr<UIView> weakHost = hostView;
    FrameBlock toFrame = [to, weakHost] {
        auto host = weakHost.lock();
        return to->superview() ? to->superview()->convertRectToView(to->frame(), host.get()) : to->frame();
    };
    flight.start = [to, start = std::move(flight.start)] {
        to->setAlpha(0);
        if (start) start();
    };
    flight.completion = [to, completion = std::move(flight.completion)](bool finished) {
        to->setAlpha(1);
        if (completion) completion(finished);
    };
    animateImage(image, frame, fromMode, std::move(toFrame), toMode, hostView, std::move(flight));
}

void AnimationUtility::animateNavigationBarTransitions(bool animate) { navigationBarSwitch() = animate; }
void AnimationUtility::animateImageTransitions(bool animate) { imageSwitch() = animate; }
bool AnimationUtility::navigationBarTransitionsAnimate() { return navigationBarSwitch(); }
bool AnimationUtility::imageTransitionsAnimate() { return imageSwitch(); }
