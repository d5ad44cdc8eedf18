#pragma once
// Fading transition overlays in over a view and out again, and changing their caption.
#include <functional>
#include <memory>
#include <string>

#include "platform/uikit/UIView.h"

class TransitionUtility {
public:
    using Completion = std::function<void(bool finished)>;
    static constexpr NSTimeInterval kCaptionFade = 0.2;

    // The caption (the last subview of the overlay's last subview, when that is a label) fades
    // out over 0.2 s after the delay, changes, and fades back in; not animated it just changes
    // after the delay.
    static void setString(const std::string& caption, const std::shared_ptr<UIView>& overlay, NSTimeInterval delay,
                          bool animated = true);
    // The overlay, fitted to the view, inserted above it and faded in from 0.
    static void fadeToTransition(const std::shared_ptr<UIView>& overlay, const std::shared_ptr<UIView>& view,
                                 NSTimeInterval duration, Completion completion);
    // The last transition, fitted to the view and inserted above it, faded out after the delay,
    // then removed and forgotten (unless another overlay has become the last meanwhile). With
    // none, the completion still comes after the duration. `allowAnimation` changes nothing.
    static void fadeFromLastTransitionForView(const std::shared_ptr<UIView>& view, NSTimeInterval duration,
                                              Completion completion);
    static void fadeFromLastTransitionForView(const std::shared_ptr<UIView>& view, NSTimeInterval duration,
                                              NSTimeInterval delay, bool allowAnimation, Completion completion);
};
