#include "screens/help/HelpView.h"

#include "platform/uikit/UIBlurEffect.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/UIColor+AppearanceUtility.h"

void HelpView::viewDidLoad() {
    UIViewController::viewDidLoad();
    view()->setBackgroundColor(AppAppearance::defaultBackgroundColor());
    view()->layer()->setCornerRadius(kCornerRadius);
}

void HelpView::setLabel(std::shared_ptr<UILabel> label) {
    label_ = std::move(label);
    if (label_) label_->setFont(AppAppearance::defaultFont());
}

UIColor HelpView::defaultBackgroundColor() const {
    return AppearanceUtility::colorWithVisualEffect(UIBlurEffect::effectWithStyle(UIBlurEffectStyle::Dark));
}

AnimationBlock HelpView::defaultPresentAnimation() {
    const CGFloat width = view()->bounds().size.width;
    return AnimationUtility::fadeAndTransform(CGAffineTransformMakeTranslation(-2 * width, 0), true, kSlideDuration);
}

AnimationBlock HelpView::defaultDismissAnimation() {
    const CGFloat width = view()->bounds().size.width;
    return AnimationUtility::fadeAndTransform(CGAffineTransformMakeTranslation(2 * width, 0), false, kSlideDuration);
}
