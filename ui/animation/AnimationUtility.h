#pragma once
// The toolkit's vocabulary of view animations. An `AnimationBlock` knows how to animate one
// view: it takes the view, the delay before it starts and a completion (which may be null)
// that hears the finished flag. The factories make the generic ones (fades, scales, a bounce,
// the mask reveal); the runners apply one to a view, or to a list of views one after another
// with a fixed step between their starts. A runner given no view, no list or no animation
// starts nothing and never calls its completion.
//
// The generic blocks change only the view's alpha, hidden flag and transform, and for the
// reveal its layer's mask; each animation lasts 0.2 s unless said otherwise.
#include <functional>
#include <memory>
#include <vector>

#include "platform/uikit/UIView.h"

using AnimationCompletion = std::function<void(bool finished)>;
using AnimationBlock = std::function<void(const std::shared_ptr<UIView>& view, NSTimeInterval delay, AnimationCompletion completion)>;

class AnimationUtility {
public:
    using Views = std::vector<std::shared_ptr<UIView>>;
    static constexpr NSTimeInterval kDuration = 0.2;
    static constexpr NSTimeInterval kDelayBetweenViews = 0.05;

    // ---- Factories -----------------------------------------------------------------------
    static AnimationBlock fadeIn();
    static AnimationBlock fadeOut();
    // Alpha 0 and shown at once, then alpha animates to `alpha`.
    static AnimationBlock fadeInToAlpha(double alpha);
    // Alpha set to `alpha` at once, animated to 0, then the view is hidden.
    static AnimationBlock fadeOutFromAlpha(double alpha);
    static AnimationBlock scaleIn();
    // Grows from nothing past its size (1.05), back under it (0.95) and to rest: 0.5 s in all.
    static AnimationBlock scaleInWithBounce();
    // Shrinks to nothing, then is hidden with its transform reset.
    static AnimationBlock scaleOut();

    // ---- Runners -------------------------------------------------------------------------
    static void animateView(const std::shared_ptr<UIView>& view, const AnimationBlock& animation,
                            NSTimeInterval delay = 0, AnimationCompletion completion = nullptr);
    static void animateView(const std::shared_ptr<UIView>& view, const AnimationBlock& animation,
                            AnimationCompletion completion);
    // View k (from 1) starts after delay + (k − 1) × step; with `reverse` the list runs from
    // its end. The completion follows the last view's animation, with its finished flag.
    static void animateViews(const Views& views, const AnimationBlock& animation, NSTimeInterval delay,
                             NSTimeInterval delayBetweenViews, bool reverse, AnimationCompletion completion);
    static void animateViews(const Views& views, const AnimationBlock& animation, NSTimeInterval delay = 0,
                             bool reverse = false, AnimationCompletion completion = nullptr);
    static void animateViews(const Views& views, const AnimationBlock& animation, AnimationCompletion completion);
    static void animateViews(const Views& views, const AnimationBlock& animation, bool reverse,
                             AnimationCompletion completion = nullptr);
    static void animateViews(const Views& views, const AnimationBlock& animation, NSTimeInterval delay,
                             AnimationCompletion completion);
};
