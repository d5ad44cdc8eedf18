#include "library/albums/PhotoGroupCollectionViewCell.h"

#include "platform/uikit/UIScreen.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/widgets/ImageContentView.h"
#include "ui/widgets/TextDisplayView.h"

PhotoGroupCollectionViewCell::PhotoGroupCollectionViewCell(CGRect frame) : UICollectionViewCell(frame) {
    const CGRect bounds = this->bounds();
    const auto flexible = UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight;

    imageView_ = std::make_shared<ImageContentView>(bounds);
    imageView_->setAutoresizingMask(flexible);
    imageView_->layer()->setBorderColor(AppAppearance::defaultTintColor().CGColor());
    imageView_->setContentMode(UIViewContentMode::ScaleAspectFill);
    imageView_->setZoomEnabled(false);
    contentView()->addSubview(imageView_);

    auto shade = std::make_shared<UIView>(CGRectInset(bounds, -1, -1));
    shade->setAutoresizingMask(imageView_->autoresizingMask());
    shade->setBackgroundColor(UIColor::blackColor());
    shade->setAlpha(0.4);
    addSubview(shade);

    const bool pad = UIDevice::currentDevice().userInterfaceIdiom() == UIUserInterfaceIdiom::Pad;
    textDisplayView_ = pad ? TextDisplayView::textDisplayViewWithHeaderOfSize(32, 16)
                           : TextDisplayView::textDisplayViewWithHeaderOfSize(24, 12);
    textDisplayView_->setFrame(bounds);
    textDisplayView_->setAutoresizingMask(flexible);
    textDisplayView_->setHeaderColor(AppAppearance::defaultLightColor().colorWithAlphaComponent(0.7));
    textDisplayView_->setDetailColor(AppAppearance::defaultLightColor().colorWithAlphaComponent(0.6));
    addSubview(textDisplayView_);

    groupLabel_ = std::make_shared<UILabel>();
    groupDetailLabel_ = std::make_shared<UILabel>();
    setClipsToBounds(true);
}

void PhotoGroupCollectionViewCell::prepareForReuse() {
    UICollectionViewCell::prepareForReuse();
    imageView_->setAlpha(1);
    setAlpha(1);
}
