#include "ui/widgets/InfoButtonView.h"

#include "ui/animation/PositioningUtility.h"

namespace {
UIImagePtr asTemplate(const UIImagePtr& image) {
    return image ? image->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate) : nullptr;
}
}  // namespace

InfoButtonView::InfoButtonView(CGRect frame) : ButtonView(frame, CGRectMake(0, 0, 54, 30)) {
    button().setBackgroundColor(UIColor::colorWithWhite(1, 0.075f));
    button().layer()->setCornerRadius(12.0);
    indicatorView_ = std::make_shared<UIImageView>(asTemplate(UIImage::imageNamed("downArrowIndicator")));
    modeView_ = std::make_shared<UIImageView>(CGRectMake(0, 0, 20, 20));
    addSubview(indicatorView_);
    addSubview(modeView_);
    PositioningUtility::positionViewAtCenterOfView(button(), *this);
    PositioningUtility::positionViewAtRelativeCenterX(*modeView_, 0.35f, *this);
    PositioningUtility::positionViewAtRelativeCenterX(*indicatorView_, 0.75, *this);
}

void InfoButtonView::setImage(UIImagePtr image) {
    if (image == image_) return;
    image_ = std::move(image);
    UIImageView* mode = modeView_.get();
    UIView::transitionWithView(
        modeView_, kFlipDuration, UIViewAnimationOptionTransitionFlipFromBottom,
        [mode, picture = asTemplate(image_)] { mode->setImage(picture); }, nullptr);
}

void InfoButtonView::buttonTouched() {
    expanded_ = !expanded_;
    if (block_) block_(expanded_);
}
