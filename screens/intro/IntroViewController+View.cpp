// The introduction's views: the background over the whole screen, the page's title under the
// logo, the photographs in the middle, the bottom line and the next button near the bottom;
// the pad's lines are set further apart. The page 1 texts and the next button's title are
// this screen's own.
#include <algorithm>

#include "model/DeviceUtility.h"
#include "platform/foundation/NSLocalizedString.h"
#include "screens/intro/IntroViewController.h"
#include "ui/widgets/CompareView.h"

namespace {

struct Placement {
    CGFloat titleY, bottomY, nextY;  // centres, as shares of the screen's height from the top
};

Placement placement() {
    if (DeviceUtility::isIPad()) return {0.15, 0.84, 0.92};
    if (DeviceUtility::has4InchDisplay()) return {0.2, 0.84, 0.93};
    return {0.19, 0.85, 0.935};
}

std::shared_ptr<UILabel> line(CGFloat width) {
    auto label = std::make_shared<UILabel>(CGRectMake(0, 0, width, 48));
    label->setTextAlignment(NSTextAlignment::Center);
    label->setNumberOfLines(2);
    label->setUserInteractionEnabled(false);
    return label;
}

}  // namespace

void IntroViewController::buildViews() {
    UIView& root = *view();
    const CGSize size = root.bounds().size;
    const Placement at = placement();
    backgroundView_ = std::make_shared<UIView>(root.bounds());
    backgroundView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    imageView_ = std::make_shared<UIImageView>(CGRectMake(0, 0, size.width, size.height * 0.6));
    imageView_->setContentMode(UIViewContentMode::ScaleAspectFit);
    compareView_ = std::make_shared<CompareView>(imageView_->frame());
    const CGFloat lineWidth = std::min<CGFloat>(size.width - 40, 420);
    titleLabel_ = line(lineWidth);
    titleLabel_->setText(NSLocalizedString("Low Light Mode Brings Dark Scenes to Life"));
    titleLabel_->setCenter(CGPointMake(size.width / 2, size.height * at.titleY));
    bottomLabel_ = line(lineWidth);
    bottomLabel_->setText(NSLocalizedString("Right in the Viewfinder"));
    bottomLabel_->setCenter(CGPointMake(size.width / 2, size.height * at.bottomY));
    nextButton_ = UIButton::buttonWithType(UIButtonType::Custom);
    nextButton_->setFrame(CGRectMake(0, 0, 200, 44));
    nextButton_->setTitle(NSLocalizedString("Next"), UIControlStateNormal);
    nextButton_->setCenter(CGPointMake(size.width / 2, size.height * at.nextY));
    for (const std::shared_ptr<UIView>& v : std::vector<std::shared_ptr<UIView>>{
             backgroundView_, imageView_, compareView_, titleLabel_, bottomLabel_, nextButton_})
        root.addSubview(v);
    const auto self = this;
    nextButton_->addTarget(
        this, [self](UIControl&, const UIEvent*) { self->fullViewButtonTouched(); }, UIControlEventTouchUpInside);
}
