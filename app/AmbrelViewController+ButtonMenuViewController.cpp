// A row of buttons in the bottom bar in place of its controls: it slides in from the left and
// leaves the same way.
#include "app/AmbrelViewController.h"
#include "ui/animation/AnimationUtility.h"

void AmbrelViewController::animateButtonMenuView(const ButtonMenuMaker& maker, bool show) {
    const CGAffineTransform aside = CGAffineTransformMakeTranslation(-2 * bottomView_->frame().size.width, 0);
    if (show) {
        buttonMenuView_ = maker();
        if (!buttonMenuView_) return;
        buttonMenuView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
        bottomView_->addSubview(buttonMenuView_);
        AnimationUtility::animateView(buttonMenuView_, AnimationUtility::fadeAndTransform(aside, true, kSlideDuration));
        return;
    }
    std::shared_ptr<ButtonMenuView> leaving = buttonMenuView_;
    if (!leaving) return;
    std::weak_ptr<UIViewController> weak = weak_from_this();
    AnimationUtility::animateView(leaving, AnimationUtility::fadeAndTransform(aside, false, kSlideDuration),
                                  [this, weak, leaving](bool) {
                                      leaving->removeFromSuperview();
                                      // A row shown while this one left stays.
                                      if (!weak.expired() && buttonMenuView_ == leaving) buttonMenuView_ = nullptr;
                                  });
}

void AmbrelViewController::animateButtonMenuViewChanges(const ButtonMenuChange& change) {
    std::shared_ptr<ButtonMenuView> row = buttonMenuView_;
    if (!row || !row->superview()) return;
    const CGAffineTransform down = CGAffineTransformMakeTranslation(0, kMenuChangeDrop);
    AnimationUtility::animateView(
        row, AnimationUtility::fadeAndTransform(down, false, kMenuChangeDuration), [row, change, down](bool) {
            row->clearButtons();
            if (change) change(*row);
            row->layoutViews();
            AnimationUtility::animateView(row, AnimationUtility::fadeAndTransform(down, true, kMenuChangeDuration));
        });
}
