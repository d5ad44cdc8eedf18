#include "app/controls/CollectionViewCell.h"

#include "model/DeviceUtility.h"
#include "ui/appearance/AppAppearance.h"

CollectionViewCell::CollectionViewCell(CGRect frame) : UICollectionViewCell(frame) {
    setBackgroundColor(UIColor::clearColor());
    layer()->setBorderColor(AppAppearance::defaultLightColor().CGColor());
}

void CollectionViewCell::setObject(CollectionObject* object) {
    object_ = object;
    if (!object) return;
    UIView* content = nullptr;
    if (object->image()) {
        if (label_) {
            label_->removeFromSuperview();
            label_.reset();
        }
        if (!imageView_) imageView_ = std::make_shared<UIImageView>();
        const CGSize size = object->imageSize();
        imageView_->setBounds(size.width == 0 && size.height == 0
                                  ? CGRectMake(0, 0, bounds().size.width, bounds().size.height)
                                  : CGRectMake(0, 0, size.width, size.height));
        if (object->contentColor()) {
            imageView_->setTintColor(UIColor::colorWithCGColor(*object->contentColor()));
            imageView_->setImage(object->image()->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate));
        } else {
            imageView_->setImage(object->image()->imageWithRenderingMode(UIImageRenderingMode::AlwaysOriginal));
        }
        content = imageView_.get();
    } else {
        if (imageView_) {
            imageView_->removeFromSuperview();
            imageView_.reset();
        }
        if (!label_) label_ = std::make_shared<UILabel>();
        label_->setText(object->string().value_or(""));
        label_->setFont(AppAppearance::defaultFont());
        label_->setTextColor(object->contentColor() ? UIColor::colorWithCGColor(*object->contentColor())
                                                    : AppAppearance::defaultLightColor());
        label_->sizeToFit();
        content = label_.get();
    }
    if (content->superview() != this) addSubview(content->shared_from_this());

    layer()->setBorderWidth(object->border() ? 2.0 : 0);
    layer()->setCornerRadius(object->size().width * object->cornerRoundness());
    setBackgroundColor(object->color() ? std::optional<UIColor>(UIColor::colorWithCGColor(*object->color()))
                                       : std::nullopt);
    setSelected(object->selected());
    showSelectedView(object->selected());
    setNeedsLayout();
}

void CollectionViewCell::showSelectedView(bool show) {
    if (!show) {
        if (selectionView_) selectionView_->removeFromSuperview();
        selectionView_.reset();
        return;
    }
    if (selectionView_) return;
    selectionView_ = std::make_shared<UIView>(bounds());
    selectionView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    selectionView_->layer()->setCornerRadius(layer()->cornerRadius());
    selectionView_->setBackgroundColor(UIColor::colorWithWhite(0, kSelectedOverlayAlpha));
    insertSubview(selectionView_, 0);
}

void CollectionViewCell::setCollectionViewOrientation(int orientation) {
    if (DeviceUtility::isIPad()) return;
    UIView* content = imageView_ ? static_cast<UIView*>(imageView_.get()) : label_.get();
    if (content) content->setTransform(CGAffineTransformMakeRotation(AppConstants::angleForOrientation(orientation)));
}

void CollectionViewCell::prepareForReuse() {
    UICollectionViewCell::prepareForReuse();
    showSelectedView(false);
}

void CollectionViewCell::layoutSubviews() {
    UICollectionViewCell::layoutSubviews();
    const CGPoint middle = CGPointMake(CGRectGetMidX(bounds()), CGRectGetMidY(bounds()));
    if (imageView_) imageView_->setCenter(middle);
    if (label_) label_->setCenter(middle);
}
