#include "library/browser/PhotoCollectionViewCell.h"

#include "platform/avfoundation/AVUtilities.h"
#include "platform/uikit/UIBlurEffect.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/UIColor+AppearanceUtility.h"

PhotoCollectionViewCell::PhotoCollectionViewCell(CGRect frame) : UICollectionViewCell(frame) {
    imageView_ = std::make_shared<ImageContentView>(bounds());
    imageView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    imageView_->layer()->setBorderColor(AppAppearance::defaultTintColor().CGColor());
    imageView_->setContentMode(UIViewContentMode::ScaleAspectFill);
    contentView()->addSubview(imageView_);
}

PhotoCollectionViewCell::~PhotoCollectionViewCell() {
    // A badge lent to another view must not outlive its cell there.
    setShowEditDecorator(false);
    setShowProgressDecorator(false);
}

std::shared_ptr<UIView> PhotoCollectionViewCell::editDecoratorView() {
    auto decorator = std::make_shared<UIView>(CGRectMake(kEditDecoratorInset, kEditDecoratorInset, 58, 24));
    decorator->setBackgroundColor(
        AppearanceUtility::colorWithVisualEffect(UIBlurEffect::effectWithStyle(UIBlurEffectStyle::Light)));
    decorator->layer()->setCornerRadius(4);

    auto icon = std::make_shared<UIImageView>(CGRectMake(2, 2, 20, 20));
    if (auto picture = UIImage::imageNamed("adjustBrightness"))
        icon->setImage(picture->imageWithRenderingMode(UIImageRenderingMode::AlwaysTemplate));
    icon->setTintColor(AppAppearance::defaultDarkColor());
    decorator->addSubview(icon);

    auto label = std::make_shared<UILabel>(CGRectMake(24, 2, 40, 20));
    label->setText("HDR");
    label->setTextColor(AppAppearance::defaultDarkColor());
    label->setFont(AppAppearance::defaultFont());
    decorator->addSubview(label);
    return decorator;
}

std::shared_ptr<CircularProgressView> PhotoCollectionViewCell::progressDecoratorView() {
    return progressDecoratorViewOfSize({kProgressDecoratorSide, kProgressDecoratorSide});
}

std::shared_ptr<CircularProgressView> PhotoCollectionViewCell::progressDecoratorViewOfSize(CGSize size) {
    auto ring = std::make_shared<CircularProgressView>(CGRectMake(0, 0, size.width, size.height));
    ring->layer()->setBorderColor(AppAppearance::defaultLightColor().CGColor());
    ring->layer()->setBorderWidth(2);
    ring->layer()->setShadowColor(UIColor::blackColor().CGColor());
    ring->setShowLabel(false);
    ring->setRelativeThickness(1.0);
    ring->setClockwise(true);
    ring->setInverted(false);
    ring->setRoundedCorners(false);
    ring->setProgressColor(AppAppearance::defaultLightColor());
    return ring;
}

CGRect PhotoCollectionViewCell::pictureRect() const {
    const UIImagePtr image = imageView_->image();
    return AVMakeRectWithAspectRatioInsideRect(image ? image->size() : CGSizeZero, imageView_->bounds());
}

void PhotoCollectionViewCell::setShowEditDecorator(bool show) {
    if (!show) {
        if (!editDecorator_) return;
        editDecorator_->removeFromSuperview();
        editDecorator_.reset();
        return;
    }
    if (!editDecorator_) {
        editDecorator_ = editDecoratorView();
        addSubview(editDecorator_);  // above the content view
    }
    placeEditDecorator();
}

void PhotoCollectionViewCell::placeEditDecorator() {
    // Until the picture is there, the cell's own corner stands in for it.
    const CGRect picture = imageView_->image() ? imageView_->convertRectToView(pictureRect(), this) : bounds();
    CGRect frame = editDecorator_->frame();
    frame.origin = {CGRectGetMinX(picture) + kEditDecoratorInset, CGRectGetMinY(picture) + kEditDecoratorInset};
    // Where the badge is lent to another view, the same place on the screen.
    UIView* shownIn = editDecorator_->superview();
    editDecorator_->setFrame(shownIn && shownIn != this ? convertRectToView(frame, shownIn) : frame);
}

void PhotoCollectionViewCell::setShowProgressDecorator(bool show) {
    if (show == showProgressDecorator()) return;
    if (!show) {
        progressDecorator_->removeFromSuperview();
        progressDecorator_.reset();
        return;
    }
    progressDecorator_ = progressDecoratorView();
    const CGRect picture = pictureRect();
    CGRect frame = progressDecorator_->frame();
    frame.origin = {CGRectGetMaxX(picture) - frame.size.width - kProgressDecoratorInset,
                    CGRectGetMaxY(picture) - frame.size.height - kProgressDecoratorInset};
    progressDecorator_->setFrame(frame);
    progressDecorator_->setAlpha(0);
    imageView_->addSubview(progressDecorator_);
    UIView::animateWithDuration(kProgressDecoratorFadeDuration, [ring = progressDecorator_] { ring->setAlpha(1); });
}

void PhotoCollectionViewCell::setProgressDecoratorProgress(double progress) {
    if (progressDecorator_) progressDecorator_->setProgress(progress, false);
}

void PhotoCollectionViewCell::setProgressDecoratorHidden(bool hidden) {
    if (progressDecorator_) progressDecorator_->setHidden(hidden);
}

void PhotoCollectionViewCell::setProgressDecoratorIndeterminate(bool indeterminate) {
    if (progressDecorator_) progressDecorator_->setIndeterminate(indeterminate);
}

void PhotoCollectionViewCell::setUnreadableText(const std::string& text) {
    if (text.empty()) {
        if (unreadableLabel_) unreadableLabel_->removeFromSuperview();
        unreadableLabel_.reset();
        return;
    }
    if (!unreadableLabel_) {
        constexpr CGFloat kInset = 8;
        unreadableLabel_ = std::make_shared<UILabel>(CGRectInset(contentView()->bounds(), kInset, kInset));
        unreadableLabel_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        unreadableLabel_->setNumberOfLines(0);
        unreadableLabel_->setTextAlignment(NSTextAlignment::Center);
        unreadableLabel_->setTextColor(AppAppearance::defaultLightColor());
        unreadableLabel_->setFont(AppAppearance::defaultFont());
        contentView()->addSubview(unreadableLabel_);
    }
    unreadableLabel_->setText(text);
}

void PhotoCollectionViewCell::showDecoratorsInView(UIView* view) {
    for (const std::shared_ptr<UIView>& decorator : {editDecorator_, std::shared_ptr<UIView>(progressDecorator_)}) {
        if (!decorator) continue;
        decorator->removeFromSuperview();
        if (view) view->addSubview(decorator);
    }
    if (editDecorator_ && view) placeEditDecorator();
}

void PhotoCollectionViewCell::prepareForReuse() {
    UICollectionViewCell::prepareForReuse();
    imageView_->setAlpha(1);
    imageView_->setImage(nullptr);
    setAlpha(1);
    setShowEditDecorator(false);
    setShowProgressDecorator(false);
    setUnreadableText("");
}
