#include "app/settings/ColorMenuViewController.h"

#include "ui/animation/PositioningUtility.h"
#include "ui/appearance/AppAppearance.h"

void ColorMenuViewController::setCustomString(std::optional<std::string> text) {
    customString_ = std::move(text);
    view();  // the message lives in the panel's vibrancy layer
    if (!customString_) {
        if (customButton_) customButton_->removeFromSuperview();
        customButton_.reset();
        tintButton()->setHidden(false);
        monochromeButton()->setHidden(false);
        return;
    }
    if (!customButton_) {
        customButton_ = UIButton::buttonWithType(UIButtonType::Custom);
        customButton_->setUserInteractionEnabled(false);
        UILabel& label = *customButton_->titleLabel();
        label.setLineBreakMode(NSLineBreakMode::ByWordWrapping);
        label.setNumberOfLines(0);
        label.setTextAlignment(NSTextAlignment::Center);
        label.setFont(AppAppearance::defaultFontOfSize(kTitleFontSize));
        label.setLineSpacing(kMessageLineSpacing);
        CGRect frame = monochromeButton()->frame();
        frame.size.height *= 2;
        customButton_->setFrame(PositioningUtility::rectWithSizeCenteredInRect(frame.size, view()->bounds()));
        vibrancyView()->contentView()->addSubview(customButton_);
    }
    customButton_->setTitle(*customString_, UIControlStateNormal);
    customButton_->setTitleColor(AppAppearance::defaultLightColor().colorWithAlphaComponent(0.5), UIControlStateNormal);
    tintButton()->setHidden(true);
    monochromeButton()->setHidden(true);
}
