#include "ui/animation/AnimationUtility.h"

#include <algorithm>

#include "ui/animation/AnimationUtilityQueue.h"

namespace {

constexpr double kHidden = 0.001;  // the scale of a view grown from or shrunk to nothing

CGAffineTransform tiny() { return CGAffineTransformMakeScale(kHidden, kHidden); }

}  // namespace

// ---- Factories -----------------------------------------------------------------------------

AnimationBlock AnimationUtility::fadeIn() { return fadeInToAlpha(1.0); }
AnimationBlock AnimationUtility::fadeOut() { return fadeOutFromAlpha(1.0); }

AnimationBlock AnimationUtility::fadeInToAlpha(double alpha) {
    return [alpha](const std::shared_ptr<UIView>& view, NSTimeInterval delay, AnimationCompletion completion) {
        view->setAlpha(0);
        view->setHidden(false);
        UIView::animateWithDuration(kDuration, delay, 0, [view, alpha] { view->setAlpha(alpha); }, std::move(completion));
    };
}

AnimationBlock AnimationUtility::fadeOutFromAlpha(double alpha) {
    return [alpha](const std::shared_ptr<UIView>& view, NSTimeInterval delay, AnimationCompletion completion) {
        view->setAlpha(alpha);
        UIView::animateWithDuration(kDuration, delay, 0, [view] { view->setAlpha(0); },
                                    [view, completion = std::move(completion)](bool finished) {
                                        view->setHidden(true);
                                        if (completion) completion(finished);
                                    });
    };
}

AnimationBlock AnimationUtility::scaleIn() {
    static const AnimationBlock block = [](const std::shared_ptr<UIView>& view, NSTimeInterval delay, AnimationCompletion completion) {
        view->setTransform(tiny());
        view->setHidden(false);
        UIView::animateWithDuration(kDuration, delay, 0, [view] { view->setTransform(CGAffineTransformIdentity); },
                                    std::move(completion));
    };
    return block;
}

AnimationBlock AnimationUtility::scaleInWithBounce() {
    static const AnimationBlock block = [](const std::shared_ptr<UIView>& view, NSTimeInterval delay, AnimationCompletion completion) {
        constexpr NSTimeInterval base = 0.4;
        view->setTransform(tiny());
        view->setHidden(false);
        UIView::animateWithDuration(
            base * 2 / 3, delay, 0, [view] { view->setTransform(CGAffineTransformMakeScale(1.05, 1.05)); },
            [view, completion = std::move(completion)](bool) {
                UIView::animateWithDuration(
                    base / 3, [view] { view->setTransform(CGAffineTransformMakeScale(0.95, 0.95)); },
                    [view, completion](bool) {
                        UIView::animateWithDuration(
                            base * 0.25, [view] { view->setTransform(CGAffineTransformIdentity); },
                            [completion](bool finished) {
                                if (completion) completion(finished);
                            });
                    });
            });
    };
    return block;
}

AnimationBlock AnimationUtility::scaleOut() {
    static const AnimationBlock block = [](const std::shared_ptr<UIView>& view, NSTimeInterval delay, AnimationCompletion completion) {
        view->setTransform(CGAffineTransformIdentity);
        UIView::animateWithDuration(kDuration, delay, 0, [view] { view->setTransform(tiny()); },
                                    [view, completion = std::move(completion)](bool finished) {
                                        view->setHidden(true);
                                        view->setTransform(CGAffineTransformIdentity);
                                        if (completion) completion(finished);
                                    });
    };
    return block;
}

// ---- Runners -------------------------------------------------------------------------------

void AnimationUtility::animateView(const std::shared_ptr<UIView>& view, const AnimationBlock& animation,
                                   NSTimeInterval delay, AnimationCompletion completion) {
    if (!view || !animation) return;
    AnimationUtilityQueue::addView(view, [view, animation, delay, completion = std::move(completion)] {
        animation(view, delay, [view, completion](bool finished) {
            AnimationUtilityQueue::removeView(view);
            if (completion) completion(finished);
        });
    });
}

void AnimationUtility::animateView(const std::shared_ptr<UIView>& view, const AnimationBlock& animation,
                                   AnimationCompletion completion) {
    animateView(view, animation, 0, std::move(completion));
}

void AnimationUtility::animateViews(const Views& views, const AnimationBlock& animation, NSTimeInterval delay,
                                    NSTimeInterval delayBetweenViews, bool reverse, AnimationCompletion completion) {
    if (views.empty() || !animation) return;
    Views list = views;
    if (reverse) std::reverse(list.begin(), list.end());
    AnimationUtilityQueue::addViews(list, [list, animation, delay, delayBetweenViews, completion = std::move(completion)] {
        NSTimeInterval t = delay;
        for (std::size_t k = 1; k <= list.size(); ++k) {
            AnimationCompletion last;
            if (k == list.size())
                last = [list, completion](bool finished) {
                    AnimationUtilityQueue::removeViews(list);
                    if (completion) completion(finished);
                };
            if (list[k - 1]) animation(list[k - 1], t, std::move(last));
            t += delayBetweenViews;
        }
    });
}

void AnimationUtility::animateViews(const Views& views, const AnimationBlock& animation, NSTimeInterval delay,
                                    bool reverse, AnimationCompletion completion) {
    animateViews(views, animation, delay, kDelayBetweenViews, reverse, std::move(completion));
}

void AnimationUtility::animateViews(const Views& views, const AnimationBlock& animation, AnimationCompletion completion) {
    animateViews(views, animation, 0, kDelayBetweenViews, false, std::move(completion));
}

void AnimationUtility::animateViews(const Views& views, const AnimationBlock& animation, bool reverse,
                                    AnimationCompletion completion) {
    animateViews(views, animation, 0, kDelayBetweenViews, reverse, std::move(completion));
}

void AnimationUtility::animateViews(const Views& views, const AnimationBlock& animation, NSTimeInterval delay,
                                    AnimationCompletion completion) {
    animateViews(views, animation, delay, kDelayBetweenViews, false, std::move(completion));
}
