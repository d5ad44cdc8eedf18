#include "app/settings/ChoiceMenuViewController.h"

#include "platform/uikit/UIBlurEffect.h"
#include "platform/uikit/UIVibrancyEffect.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/UIColor+ColorUtility.h"

ChoiceMenuViewController::ChoiceMenuViewController(std::string firstTitle, std::string secondTitle)
    : firstTitle_(std::move(firstTitle)), secondTitle_(std::move(secondTitle)) {}

void ChoiceMenuViewController::loadView() {
    // The panel: the two choices one above the other, each across the whole width.
    auto panel = std::make_shared<UIView>(CGRectMake(0, 0, kWidth, kHeight));
    auto make = [&](const std::string& title, CGFloat y, void (ChoiceMenuViewController::*action)()) {
        auto button = UIButton::buttonWithType(UIButtonType::Custom);
        button->setFrame(CGRectMake(0, y, kWidth, kHeight / 2));
        button->setTitle(title, UIControlStateNormal);
        button->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
        button->addTarget(
            this, [this, action](UIControl&, const UIEvent*) { (this->*action)(); }, UIControlEventTouchUpInside);
        panel->addSubview(button);
        return button;
    };
    firstButton_ = make(firstTitle_, 0, &ChoiceMenuViewController::chooseFirst);
    secondButton_ = make(secondTitle_, kHeight / 2, &ChoiceMenuViewController::chooseSecond);
    setView(panel);
}

void ChoiceMenuViewController::viewDidLoad() {
    UIViewController::viewDidLoad();
    UIView& panel = *view();
    panel.setBackgroundColor(UIColor::clearColor());
    panel.layer()->setCornerRadius(kCornerRadius);
    panel.setClipsToBounds(true);
    auto blur = UIBlurEffect::effectWithStyle(UIBlurEffectStyle::Dark);
    effectView_ = std::make_shared<UIVisualEffectView>(blur, panel.bounds());
    effectView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    panel.insertSubview(effectView_, 0);
    vibrancyView_ =
        std::make_shared<UIVisualEffectView>(UIVibrancyEffect::effectForBlurEffect(blur), effectView_->bounds());
    vibrancyView_->setAlpha(0.7);
    vibrancyView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    effectView_->contentView()->addSubview(vibrancyView_);
    for (const auto& button : {firstButton_, secondButton_})
        button->titleLabel()->setFont(AppAppearance::defaultFontOfSize(kTitleFontSize));
    setFirstChosen(first_);
}

void ChoiceMenuViewController::setSelectedColor(const UIColor& color) {
    selectedColor_ = ColorAnalysisUtility::colorWithMinimumBrightness(color, kMinimumBrightness);
    setFirstChosen(first_);
}

void ChoiceMenuViewController::setFirstChosen(bool first) {
    first_ = first;
    if (!isViewLoaded() || !vibrancyView_) return;
    const auto& chosen = first ? firstButton_ : secondButton_;
    const auto& other = first ? secondButton_ : firstButton_;
    chosen->setTitleColor(selectedColor_, UIControlStateNormal);
    other->setTitleColor(AppAppearance::defaultLightColor(), UIControlStateNormal);
    chosen->removeFromSuperview();
    other->removeFromSuperview();
    vibrancyView_->contentView()->addSubview(other);
    view()->addSubview(chosen);
}

void ChoiceMenuViewController::chooseFirst() {
    setFirstChosen(true);
    if (block_) block_(true);
}

void ChoiceMenuViewController::chooseSecond() {
    setFirstChosen(false);
    if (block_) block_(false);
}
