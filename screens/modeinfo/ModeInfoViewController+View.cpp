// The mode information screen's views, top to bottom: the badge with the category's picture,
// the title, the square pair of photos with the caption over their middle, the description,
// the usage hint, and the close button in the top corner. The pad keeps them in a column of
// phone width; the layout centres them across.
#include <algorithm>

#include "model/DeviceUtility.h"
#include "screens/modeinfo/ModeInfoViewController.h"
#include "ui/widgets/CompareView.h"

namespace {

constexpr CGFloat kBadgeSide = 64;
constexpr CGFloat kPictureSide = 36;
constexpr CGFloat kDismissSide = 44;

std::shared_ptr<UILabel> textLine(CGRect frame, int lines) {
    auto label = std::make_shared<UILabel>(frame);
    label->setTextAlignment(NSTextAlignment::Center);
    label->setNumberOfLines(lines);
    return label;
}

}  // namespace

void ModeInfoViewController::buildViews() {
    UIView& root = *view();
    const CGSize size = root.bounds().size;
    const CGFloat column = std::min<CGFloat>(size.width, 414);
    const CGFloat photo = std::min(column - 40, size.height * 0.45);
    const CGFloat top = DeviceUtility::isIPad() ? size.height * 0.12 : 28;
    contentView_ = std::make_shared<UIView>(root.bounds());
    contentView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    modeBackgroundView_ = std::make_shared<UIView>(CGRectMake(0, top, kBadgeSide, kBadgeSide));
    modeView_ = std::make_shared<UIImageView>(CGRectMake(0, 0, kPictureSide, kPictureSide));
    modeView_->setContentMode(UIViewContentMode::ScaleAspectFit);
    modeView_->setCenter(CGPointMake(0, top + kBadgeSide / 2));
    modeTitle_ = textLine(CGRectMake(0, top + kBadgeSide + 8, column - 40, 24), 1);
    const CGFloat photoTop = CGRectGetMaxY(modeTitle_->frame()) + 14;
    compareViewOriginal_ = std::make_shared<UIImageView>(CGRectMake(0, photoTop, photo, photo));
    compareViewOriginal_->setContentMode(UIViewContentMode::ScaleAspectFill);
    compareView_ = std::make_shared<CompareView>(compareViewOriginal_->frame());
    compareDescription_ = textLine(CGRectMake(0, photoTop + photo / 2 - 16, photo, 32), 1);
    modeDescription_ = textLine(CGRectMake(0, photoTop + photo + 14, column - 40, 80), 4);
    modeUsage_ = textLine(CGRectMake(0, CGRectGetMaxY(modeDescription_->frame()) + 6, column - 40, 44), 2);
    dismissView_ = UIButton::buttonWithType(UIButtonType::Custom);
    dismissView_->setFrame(CGRectMake(size.width - kDismissSide - 8, 20, kDismissSide, kDismissSide));
    dismissView_->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
    root.addSubview(contentView_);
    for (const std::shared_ptr<UIView>& v :
         std::vector<std::shared_ptr<UIView>>{modeBackgroundView_, modeView_, modeTitle_, compareViewOriginal_,
                                              compareView_, compareDescription_, modeDescription_, modeUsage_})
        contentView_->addSubview(v);
    root.addSubview(dismissView_);
}
