#include "ui/widgets/TransitionUtility.h"

#include "platform/uikit/UILabel.h"
#include "ui/widgets/TransitionFactory.h"
#include "ui/widgets/TransitionPositioning.h"

void TransitionUtility::setString(const std::string& caption, const std::shared_ptr<UIView>& overlay,
                                  NSTimeInterval delay, bool animated) {
    if (!overlay || overlay->subviews().empty()) return;
    const auto& container = overlay->subviews().back();
    if (container->subviews().empty()) return;
    // Only a label has a caption to change.
    auto label = std::dynamic_pointer_cast<UILabel>(container->subviews().back());
    if (!label) return;
    const NSTimeInterval t = animated ? kCaptionFade : 0;
    UIView::animateWithDuration(
        t, delay, 0,
        [label, animated] {
            if (animated) label->setAlpha(0);
        },
        [label, caption, t](bool) {
            label->setText(caption);
            UIView::animateWithDuration(t, [label] { label->setAlpha(1); });
        });
}

void TransitionUtility::fadeToTransition(const std::shared_ptr<UIView>& overlay, const std::shared_ptr<UIView>& view,
                                         NSTimeInterval duration, Completion completion) {
    overlay->setAlpha(0);
    TransitionPositioning::positionTransition(*overlay, *view);
    if (UIView* superview = view->superview()) superview->insertSubviewAbove(overlay, view.get());
    UIView::animateWithDuration(
        duration, [overlay] { overlay->setAlpha(1); },
        [completion](bool finished) {
            if (completion) completion(finished);
        });
}

void TransitionUtility::fadeFromLastTransitionForView(const std::shared_ptr<UIView>& view, NSTimeInterval duration,
                                                      Completion completion) {
    fadeFromLastTransitionForView(view, duration, 0, true, std::move(completion));
}

void TransitionUtility::fadeFromLastTransitionForView(const std::shared_ptr<UIView>& view, NSTimeInterval duration,
                                                      NSTimeInterval delay, bool, Completion completion) {
    std::shared_ptr<UIView> overlay = TransitionFactory::lastTransition();
    if (overlay) {
        overlay->setAlpha(1);
        TransitionPositioning::positionTransition(*overlay, *view);
        if (UIView* superview = view->superview()) superview->insertSubviewAbove(overlay, view.get());
    }
    UIView* faded = overlay.get();
    UIView::animateWithDuration(
        duration, delay, 0,
        [faded] {
            if (faded) faded->setAlpha(0);
        },
        [overlay, completion](bool finished) {
            if (completion) completion(finished);
            if (!overlay) return;
            overlay->removeFromSuperview();
            // A newer overlay built meanwhile stays the last one.
            if (TransitionFactory::lastTransition() == overlay) TransitionFactory::setLastTransition(nullptr);
        });
}
