#include "ui/animation/AnimationUtility.h"

#include <algorithm>

#include "platform/coregraphics/CGPath.h"
#include "platform/quartzcore/CAAnimationGroup.h"
#include "platform/quartzcore/CABasicAnimation.h"
#include "platform/quartzcore/CAShapeLayer.h"
#include "platform/quartzcore/CATransaction.h"
#include "ui/animation/AnimationUtilityQueue.h"
#include "ui/animation/PositioningUtility.h"

namespace {

constexpr double kHidden = 0.001;  // the scale of a view grown from or shrunk to nothing

CGAffineTransform tiny() { return CGAffineTransformMakeScale(kHidden, kHidden); }

constexpr CGPoint kCentre{0.5, 0.5};

std::shared_ptr<CABasicAnimation> scaleAxis(const char* keyPath, double from, double to) {
    auto animation = CABasicAnimation::animationWithKeyPath(keyPath);
    animation->fromValue = from;
    animation->toValue = to;
    animation->removedOnCompletion = false;
    animation->fillMode = CAFillMode::Forwards;
    return animation;
}

}  // namespace

// ---- Factories -----------------------------------------------------------------------------

AnimationBlock AnimationUtility::fadeIn() { return fadeInToAlpha(1.0); }
AnimationBlock AnimationUtility::fadeOut() { return fadeOutFromAlpha(1.0); }

AnimationBlock AnimationUtility::fadeInToAlpha(double alpha) {
    return [alpha](const std::shared_ptr<UIView>& view, NSTimeInterval delay, AnimationCompletion completion) {
        view->setAlpha(0);
        view->setHidden(false);
        UIView::animateWithDuration(
            kDuration, delay, 0, [view, alpha] { view->setAlpha(alpha); }, std::move(completion));
    };
}

AnimationBlock AnimationUtility::fadeOutFromAlpha(double alpha) {
    return [alpha](const std::shared_ptr<UIView>& view, NSTimeInterval delay, AnimationCompletion completion) {
        view->setAlpha(alpha);
        UIView::animateWithDuration(
            kDuration, delay, 0, [view] { view->setAlpha(0); },
            [view, completion = std::move(completion)](bool finished) {
                view->setHidden(true);
                if (completion) completion(finished);
            });
    };
}

AnimationBlock AnimationUtility::scaleIn() {
    static const AnimationBlock block = [](const std::shared_ptr<UIView>& view, NSTimeInterval delay,
                                           AnimationCompletion completion) {
        view->setTransform(tiny());
        view->setHidden(false);
        UIView::animateWithDuration(
            kDuration, delay, 0, [view] { view->setTransform(CGAffineTransformIdentity); }, std::move(completion));
    };
    return block;
}

AnimationBlock AnimationUtility::scaleInWithBounce() {
    static const AnimationBlock block = [](const std::shared_ptr<UIView>& view, NSTimeInterval delay,
                                           AnimationCompletion completion) {
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
    static const AnimationBlock block = [](const std::shared_ptr<UIView>& view, NSTimeInterval delay,
                                           AnimationCompletion completion) {
        view->setTransform(CGAffineTransformIdentity);
        UIView::animateWithDuration(
            kDuration, delay, 0, [view] { view->setTransform(tiny()); },
            [view, completion = std::move(completion)](bool finished) {
                view->setHidden(true);
                view->setTransform(CGAffineTransformIdentity);
                if (completion) completion(finished);
            });
    };
    return block;
}

AnimationBlock AnimationUtility::reveal(bool reveal, bool invert, NSTimeInterval duration, CGFloat cornerRadius,
                                        CGPoint beginScale, CGPoint endScale, CGPoint anchorPoint) {
    return [=](const std::shared_ptr<UIView>& view, NSTimeInterval delay, AnimationCompletion completion) {
        const CGRect viewBounds = view->bounds();
        auto mask = CAShapeLayer::layer();
        mask->setBounds(viewBounds);
        if (reveal) {
            const CGFloat side = 1.2 * std::max(viewBounds.size.width, viewBounds.size.height);
            mask->setBounds(CGRectMake(0, 0, side, side));
        }
        CGRect shape = mask->bounds();
        if (invert) {
            mask->setBounds(CGRectMake(0, 0, 100 * shape.size.width, 100 * shape.size.height));
            shape = PositioningUtility::rectWithSizeCenteredInRect(shape.size, mask->bounds());
        }
        mask->setAnchorPoint(anchorPoint);
        const CGPathRef shapePath = reveal ? CGPathCreateWithEllipseInRect(shape)
                                    : cornerRadius == 0
                                        ? CGPathCreateWithRect(shape)
                                        : CGPathCreateWithRoundedRect(shape, cornerRadius, cornerRadius);
        if (invert) {
            CGMutablePathRef field = CGPathCreateMutable();
            CGPathAddRect(field, nullptr, mask->bounds());
            CGPathAddPath(field, nullptr, shapePath);
            mask->setPath(field);
            mask->setFillRule(CAFillRule::EvenOdd);
        } else {
            mask->setPath(shapePath);
        }
        view->layer()->setMask(mask);
        mask->setPosition({anchorPoint.x * viewBounds.size.width, anchorPoint.y * viewBounds.size.height});
        mask->setTransform(CATransform3DMakeScale(beginScale.x, beginScale.y, 1));

        auto group = CAAnimationGroup::animation();
        group->animations = {scaleAxis("transform.scale.x", beginScale.x, endScale.x),
                             scaleAxis("transform.scale.y", beginScale.y, endScale.y)};
        group->duration = duration;
        // The delay counts from now: a media time of `delay` itself lies long past.
        if (delay > 0) group->beginTime = CACurrentMediaTime() + delay;
        group->timingFunction = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseOut);
        group->removedOnCompletion = false;
        group->fillMode = CAFillMode::Forwards;
        CATransaction::begin();
        CATransaction::setCompletionBlock([view, completion = std::move(completion)] {
            view->layer()->setMask(nullptr);
            if (completion) completion(true);
        });
        mask->addAnimation(group, "");
        CATransaction::commit();
    };
}

AnimationBlock AnimationUtility::reveal(bool reveal, CGPoint beginScale, CGPoint endScale) {
    return AnimationUtility::reveal(reveal, false, kDuration, 0, beginScale, endScale, kCentre);
}
AnimationBlock AnimationUtility::reveal(bool reveal, bool invert, CGPoint beginScale, CGPoint endScale) {
    return AnimationUtility::reveal(reveal, invert, kDuration, 0, beginScale, endScale, kCentre);
}
AnimationBlock AnimationUtility::reveal(bool reveal, bool invert, NSTimeInterval duration, CGPoint beginScale,
                                        CGPoint endScale) {
    return AnimationUtility::reveal(reveal, invert, duration, 0, beginScale, endScale, kCentre);
}
AnimationBlock AnimationUtility::reveal(bool reveal, CGFloat cornerRadius, CGPoint beginScale, CGPoint endScale) {
    return AnimationUtility::reveal(reveal, false, kDuration, cornerRadius, beginScale, endScale, kCentre);
}
AnimationBlock AnimationUtility::reveal(bool reveal, CGPoint beginScale, CGPoint endScale, CGPoint anchorPoint) {
    return AnimationUtility::reveal(reveal, false, kDuration, 0, beginScale, endScale, anchorPoint);
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
    AnimationUtilityQueue::addViews(list,
                                    [list, animation, delay, delayBetweenViews, completion = std::move(completion)] {
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

void AnimationUtility::animateViews(const Views& views, const AnimationBlock& animation,
                                    AnimationCompletion completion) {
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
