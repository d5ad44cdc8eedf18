#include "ui/widgets/ModalActivityIndicator.h"

#include "platform/foundation/Dispatch.h"
#include "platform/uikit/UIApplication.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/animation/PositioningUtility.h"

void ModalActivityIndicator::animateActivityView(const std::shared_ptr<UIView>& view, bool show,
                                                 Completion completion) {
    const CGFloat scale = kAppearScale;
    AnimationUtility::animateView(
        view, AnimationUtility::fadeAndTransform(CGAffineTransformMakeScale(scale, scale), show, kAppearDuration),
        std::move(completion));
}

void ModalActivityIndicator::begin(const std::shared_ptr<UIView>& view, Completion completion) {
    UIApplication& application = UIApplication::sharedApplication();
    if (auto previous = current_.lock()) {
        // Its finish could never reach it now: it goes, and its ignore step with it.
        previous->removeFromSuperview();
        application.endIgnoringInteractionEvents();
    }
    application.beginIgnoringInteractionEvents();
    auto indicator = factory_();
    current_ = indicator;
    PositioningUtility::positionViewAtCenterOfView(*indicator, *view);
    view->addSubview(indicator);
    animateActivityView(indicator, true, std::move(completion));
}

void ModalActivityIndicator::finish(Completion completion) {
    dispatch_async(dispatch_get_main_queue(), [this, completion = std::move(completion)] {
        auto indicator = current_.lock();
        if (!indicator) {
            if (completion) completion(false);
            return;
        }
        // No longer current: a second finish cannot give the same step back twice.
        current_.reset();
        animateActivityView(indicator, false, [indicator, completion](bool finished) {
            indicator->removeFromSuperview();
            UIApplication::sharedApplication().endIgnoringInteractionEvents();
            if (completion) completion(finished);
        });
    });
}

void ModalActivityIndicator::animateInView(const std::shared_ptr<UIView>& view) {
    begin(view, [this](bool) {
        dispatch_after(dispatch_time(DISPATCH_TIME_NOW, static_cast<std::int64_t>(kShownFor * NSEC_PER_SEC)),
                       dispatch_get_main_queue(), [this] { finish(nullptr); });
    });
}
