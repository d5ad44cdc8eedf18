#pragma once
// Transition overlays: plain views laid over a screen while it changes (a colour wash with a
// spinner, a progress ring or a custom view in the middle, optionally captioned), faded in
// over the old content and out over the new (TransitionUtility). An overlay's content is its
// first subview; the factories give it the centred position.
//
// The factory remembers the last overlay it built (held until a fade-out of it completes);
// building another replaces it without removing the first from the screen.
#include <functional>
#include <memory>
#include <string>

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIView.h"

class TransitionFactory {
public:
    static void setLastTransition(std::shared_ptr<UIView> transition);
    static const std::shared_ptr<UIView>& lastTransition();

    // A 200-point square clear container with the content at its centre and the caption in a
    // 200 × 100 label below it (its last subview).
    static std::shared_ptr<UIView> transition(const std::shared_ptr<UIView>& content, const std::string& caption);
    // A plain view of the colour (zero frame); it becomes the last transition.
    static std::shared_ptr<UIView> colorTransition(const UIColor& color);
    static std::shared_ptr<UIView> blackTransition();
    // Black at the alpha, not opaque.
    static std::shared_ptr<UIView> blackTransitionWithAlpha(CGFloat alpha);

    // A started large white activity indicator.
    static std::shared_ptr<UIView> activityTransitionFor(const std::shared_ptr<UIView>& overlay);
    static std::shared_ptr<UIView> activityTransitionFor(const std::shared_ptr<UIView>& overlay,
                                                         const std::string& caption);
    using ViewBlock = std::function<std::shared_ptr<UIView>()>;
    // Each makes the overlay the last transition, then adds its content centred.
    static std::shared_ptr<UIView> customTransitionFor(const std::shared_ptr<UIView>& overlay, const ViewBlock& view);
    static std::shared_ptr<UIView> customTransitionFor(const std::shared_ptr<UIView>& overlay, const ViewBlock& view,
                                                       const std::string& caption);
    // A 40-point progress ring at alpha 0.8.
    static std::shared_ptr<UIView> progressTransitionFor(const std::shared_ptr<UIView>& overlay);
    static std::shared_ptr<UIView> progressTransitionFor(const std::shared_ptr<UIView>& overlay,
                                                         const std::string& caption);

    static constexpr CGFloat kCaptionedSide = 200, kCaptionHeight = 100, kProgressSide = 40;
    static constexpr CGFloat kProgressAlpha = 0.8;
};
