#include "ui/widgets/TransitionFactory.h"

#include "platform/uikit/UIActivityIndicatorView.h"
#include "platform/uikit/UILabel.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/widgets/CircularProgressView.h"
#include "ui/widgets/TransitionPositioning.h"

namespace {

std::shared_ptr<UIView>& lastOverlay() {
    static std::shared_ptr<UIView> last;
    return last;
}

CGPoint middle(const UIView& view) { return {CGRectGetMidX(view.bounds()), CGRectGetMidY(view.bounds())}; }

// The overlay becomes the last transition first, then takes its content centred.
std::shared_ptr<UIView> withContent(const std::shared_ptr<UIView>& overlay, const std::shared_ptr<UIView>& content) {
    TransitionFactory::setLastTransition(overlay);
    overlay->addSubview(content);
    TransitionPositioning::setPosition(TransitionPositioning::kCentered, *content);
    return overlay;
}

std::shared_ptr<UIView> progressRing() {
    const CGFloat side = TransitionFactory::kProgressSide;
    auto ring = std::make_shared<CircularProgressView>(CGRectMake(0, 0, side, side));
    ring->setAlpha(TransitionFactory::kProgressAlpha);
    return ring;
}

std::shared_ptr<UIView> spinner() {
    auto indicator = std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::WhiteLarge);
    indicator->startAnimating();
    return indicator;
}

}  // namespace

void TransitionFactory::setLastTransition(std::shared_ptr<UIView> transition) { lastOverlay() = std::move(transition); }

const std::shared_ptr<UIView>& TransitionFactory::lastTransition() { return lastOverlay(); }

std::shared_ptr<UIView> TransitionFactory::transition(const std::shared_ptr<UIView>& content,
                                                      const std::string& caption) {
    auto container = std::make_shared<UIView>(CGRectMake(0, 0, kCaptionedSide, kCaptionedSide));
    container->setBackgroundColor(UIColor::clearColor());
    container->setOpaque(false);
    container->addSubview(content);
    content->setCenter(middle(*container));
    auto label = std::make_shared<UILabel>(CGRectMake(0, 0, kCaptionedSide, kCaptionHeight));
    label->setCenter({container->center().x, container->center().y + content->frame().size.height});
    label->setText(caption);
    label->setTextAlignment(NSTextAlignment::Center);
    label->setBackgroundColor(UIColor::clearColor());
    label->setOpaque(false);
    label->setFont(AppAppearance::defaultFont());
    label->setTextColor(AppAppearance::defaultLightColor());
    label->setShadowColor(UIColor::blackColor());
    container->addSubview(label);
    return container;
}

std::shared_ptr<UIView> TransitionFactory::colorTransition(const UIColor& color) {
    auto overlay = std::make_shared<UIView>();
    overlay->setBackgroundColor(color);
    setLastTransition(overlay);
    return overlay;
}

std::shared_ptr<UIView> TransitionFactory::blackTransition() { return colorTransition(UIColor::blackColor()); }

std::shared_ptr<UIView> TransitionFactory::blackTransitionWithAlpha(CGFloat alpha) {
    auto overlay = colorTransition(UIColor::colorWithWhite(0, alpha));
    overlay->setOpaque(false);
    return overlay;
}

std::shared_ptr<UIView> TransitionFactory::activityTransitionFor(const std::shared_ptr<UIView>& overlay) {
    return withContent(overlay, spinner());
}

std::shared_ptr<UIView> TransitionFactory::activityTransitionFor(const std::shared_ptr<UIView>& overlay,
                                                                 const std::string& caption) {
    return withContent(overlay, transition(spinner(), caption));
}

std::shared_ptr<UIView> TransitionFactory::customTransitionFor(const std::shared_ptr<UIView>& overlay,
                                                               const ViewBlock& view) {
    setLastTransition(overlay);
    return withContent(overlay, view());
}

std::shared_ptr<UIView> TransitionFactory::customTransitionFor(const std::shared_ptr<UIView>& overlay,
                                                               const ViewBlock& view, const std::string& caption) {
    setLastTransition(overlay);
    return withContent(overlay, transition(view(), caption));
}

std::shared_ptr<UIView> TransitionFactory::progressTransitionFor(const std::shared_ptr<UIView>& overlay) {
    return withContent(overlay, progressRing());
}

std::shared_ptr<UIView> TransitionFactory::progressTransitionFor(const std::shared_ptr<UIView>& overlay,
                                                                 const std::string& caption) {
    return withContent(overlay, transition(progressRing(), caption));
}
