// AnimationUtility: the image flight between image content views (the widget lives above
// the animation library).
#include "ui/animation/AnimationUtility.h"
#include "ui/widgets/ImageContentView.h"

void AnimationUtility::animateImageContentView(const std::shared_ptr<ImageContentView>& from,
                                               const std::shared_ptr<ImageContentView>& to,
                                               const std::shared_ptr<UIView>& hostView, ImageFlight flight) {
    animateImageBetweenViews(from->image(), from, from->contentMode(), to, to->contentMode(), hostView,
                             std::move(flight));
}
