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
//
// The application's own motions (AnimationUtility+AmbrelAppAnimations.cpp): the spring
// fade-and-transform, the navigation-bar swap and the image flight, with their two
// process-wide switches.
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

class UIImageView;
class UIViewController;

using AnimationCompletion = std::function<void(bool finished)>;
using AnimationBlock =
    std::function<void(const std::shared_ptr<UIView>& view, NSTimeInterval delay, AnimationCompletion completion)>;

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

    // The mask reveal: the view shows through a mask whose scale animates from `beginScale`
    // to `endScale` (x and y scales) about `anchorPoint` (unit coordinates of the view) with
    // an ease-out curve, starting after the block's delay. With `reveal` the mask is a circle
    // 1.2 times the view's longer side, else the view's bounds (rounded by `cornerRadius`);
    // with `invert` it is a large field with a hole of that shape. When it ends the view is
    // unmasked and the completion hears YES. Defaults: no invert, 0.2 s, square corners,
    // the centre as anchor.
    static AnimationBlock reveal(bool reveal, bool invert, NSTimeInterval duration, CGFloat cornerRadius,
                                 CGPoint beginScale, CGPoint endScale, CGPoint anchorPoint);
    static AnimationBlock reveal(bool reveal, CGPoint beginScale, CGPoint endScale);
    static AnimationBlock reveal(bool reveal, bool invert, CGPoint beginScale, CGPoint endScale);
    static AnimationBlock reveal(bool reveal, bool invert, NSTimeInterval duration, CGPoint beginScale,
                                 CGPoint endScale);
    static AnimationBlock reveal(bool reveal, CGFloat cornerRadius, CGPoint beginScale, CGPoint endScale);
    static AnimationBlock reveal(bool reveal, CGPoint beginScale, CGPoint endScale, CGPoint anchorPoint);

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

    // ---- The application's motions (AnimationUtility+AmbrelAppAnimations.cpp) -------------
    // A spring (damping 0.8) over `duration`: without `reverse` the view goes from the
    // identity to `transform` and fades out; with it the view starts at `transform` and comes
    // to the identity, fading in from whatever alpha it has. Without fading alpha is left
    // alone.
    static AnimationBlock fadeAndTransform(CGAffineTransform transform, bool reverse, NSTimeInterval duration,
                                           bool shouldFade = true);
    // Lifts the controller's navigation bar away (0.1 s when its item shows anything, else at
    // once), runs the block, and springs the bar back in 0.2 s. With the switch off the block
    // just runs.
    static void animateNavigationBarTransition(UIViewController& controller, std::function<void()> block);

    using FrameBlock = std::function<CGRect()>;
    using ImageTransitionBlock =
        std::function<void(const std::shared_ptr<UIImageView>& imageView, AnimationCompletion done)>;
    struct ImageFlight {
        std::function<void()> transition;      // run inside the cross-dissolve of `dissolveView`
        ImageTransitionBlock imageTransition;  // must call its completion
        std::shared_ptr<UIView> dissolveView;
        std::function<void()> start;
        AnimationCompletion completion;
    };
    // Flies a copy of the image from a frame of `hostView` to the frame the block gives when
    // the motion starts (a 0.6 s spring, with a 0.2 s cross-dissolve beside it), touches
    // ignored until it ends. With the image switch off everything happens at once.
    static void animateImage(const UIImagePtr& image, CGRect frame, UIViewContentMode contentMode, FrameBlock toFrame,
                             UIViewContentMode toContentMode, const std::shared_ptr<UIView>& hostView,
                             ImageFlight flight);
    // The flight from one image view to another, the target hidden (alpha 0) until it ends.
    static void animateImageView(const std::shared_ptr<UIImageView>& from, const std::shared_ptr<UIImageView>& to,
                                 const std::shared_ptr<UIView>& hostView, ImageFlight flight);
    // The flight between two image content views, each showing its own image in its own
    // content mode. The widget lives above this library, so any view answering `image()` and
    // `contentMode()` as it does will fly.
    template <class FromView, class ToView>
    static void animateImageContentView(const std::shared_ptr<FromView>& from, const std::shared_ptr<ToView>& to,
                                        const std::shared_ptr<UIView>& hostView, ImageFlight flight) {
        animateImageBetweenViews(from->image(), from, from->contentMode(), to, to->contentMode(), hostView,
                                 std::move(flight));
    }
    // The same between any two views showing the image in the given content modes.
    static void animateImageBetweenViews(const UIImagePtr& image, const std::shared_ptr<UIView>& from,
                                         UIViewContentMode fromMode, const std::shared_ptr<UIView>& to,
                                         UIViewContentMode toMode, const std::shared_ptr<UIView>& hostView,
                                         ImageFlight flight);
    static void animateNavigationBarTransitions(bool animate);
    static void animateImageTransitions(bool animate);
    static bool navigationBarTransitionsAnimate();
    static bool imageTransitionsAnimate();

    static constexpr NSTimeInterval kNavigationBarLift = 0.1, kNavigationBarReturn = 0.2;
    static constexpr NSTimeInterval kImageDissolve = 0.2, kImageFlight = 0.6;
};
