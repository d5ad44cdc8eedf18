// The crop mode of the main screen: the processed picture gives way, in place, to the crop
// editor on the unprocessed photo; "Crop" hands the engine the cropped photo and records the
// crop relative to the photo, "Cancel" shows the recorded crop again; either way the screen
// springs back to the processed picture.
#include "app/AmbrelViewController.h"
#include "engine/view/GraphicsContentView.h"
#include "library/browser/PhotoCollectionView.h"
#include "model/DeviceUtility.h"
#include "model/Type.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "screens/crop/CropScreen.h"
#include "screens/crop/CropView.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/widgets/ButtonMenuView.h"
#include "ui/widgets/TitleButtonView.h"

namespace {

constexpr NSTimeInterval kCropSpringDuration = 0.4;
constexpr CGFloat kCropSpringDamping = 0.8, kCropSpringVelocity = 1.0;
// The editor overhangs the picture by a hair on every side.
constexpr float kCropViewOutset = 0.01f;

void spring(UIView::Animations animations, UIView::Completion completion) {
    UIView::animateWithDuration(kCropSpringDuration, 0, kCropSpringDamping, kCropSpringVelocity, 0,
                                std::move(animations), std::move(completion));
}

// A scale from the picture's on-screen size to the rectangle's; identity while the picture has
// no size.
CGAffineTransform scaleToRect(CGSize rect, const UIView* contentView) {
    const CGSize picture = contentView ? contentView->frame().size : CGSizeZero;
    if (!(picture.width > 0 && picture.height > 0)) return CGAffineTransformIdentity;
    return CGAffineTransformMakeScale(rect.width / picture.width, rect.height / picture.height);
}

}  // namespace

bool AmbrelViewController::cropViewShown() const { return cropView_ && cropView_->superview(); }

void AmbrelViewController::animateCropView(bool show) {
    // The bottom row's builder, passed whether the row comes or goes.
    const ButtonMenuMaker cropMenu = [this] {
        auto menu = std::make_shared<ButtonMenuView>(bottomView_->bounds());
        animateCropButtonMenuView(*menu);
        return menu;
    };
    if (show) {
        animateNavigationItemForCropView();
        animateTypeView(false);
        animateExpandCollapseView(false);
        if (DeviceUtility::isIPad()) animateCameraViewButton(false);
        animateButtonMenuView(cropMenu, true);
        const CGRect frame = CGRectInset(graphicsView_->frame(), -kCropViewOutset, -kCropViewOutset);
        if (!cropView_) {
            cropView_ = std::make_shared<CropView>(frame);
            cropView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
            cropView_->rotationGestureRecognizer()->setEnabled(false);
            cropView_->setKeepingCropAspectRatio(false);
        }
        cropView_->setFrame(frame);
        cropView_->setImage(graphicsView_->unprocessedImage());
        // The picture is a smaller copy of the photo: a chosen aspect is to hold in the photo's
        // own pixels, the ones a save crops.
        if (photoCollectionView_) cropView_->setPhotoSize(photoCollectionView_->fullSizeImageSizeForEditing());
        view()->insertSubviewBelow(cropView_, bottomView_.get());
        cropView_->layoutIfNeeded();
        cropView_->setAlpha(0);
        animateCropRect();
        std::weak_ptr<UIViewController> weak = weak_from_this();
        graphicsView_->resetZoomScaleAndContentOffset(true, [weak](bool) {
            auto self = std::static_pointer_cast<AmbrelViewController>(weak.lock());
            if (!self || !self->cropView_) return;
            auto picture = self->graphicsView_;
            auto crop = self->cropView_;
            const CGRect F = picture->frame();
            const bool sized = picture->contentView() && !CGRectIsEmpty(picture->contentView()->frame());
            // Without a picture on screen the shrink is skipped: there is nothing to scale.
            spring(
                [picture, crop, sized] {
                    if (sized) picture->setTransform(scaleToRect(crop->cropRect().size, picture->contentView().get()));
                },
                [picture, crop, F](bool) {
                    spring([crop] { crop->setAlpha(1); },
                           [picture, F](bool) {
                               UIView::performWithoutAnimation([&] {
                                   picture->setAlpha(0);
                                   picture->setTransform(CGAffineTransformIdentity);
                                   picture->setFrame(F);
                               });
                           });
                });
        });
        return;
    }

    animateTypeView(true);
    animateExpandCollapseView(true);
    if (DeviceUtility::isIPad()) animateCameraViewButton(true);
    animateButtonMenuView(cropMenu, false);
    if (!cropView_) return;
    auto picture = graphicsView_;
    auto crop = cropView_;
    const CGRect R = crop->convertRectToView(crop->cropRectView()->frame(), picture.get());
    picture->setTransform(scaleToRect(R.size, picture->contentView().get()));
    spring(
        [picture, crop] {
            crop->setAlpha(0);
            picture->setAlpha(1);
        },
        [picture, crop](bool) {
            spring([picture] { picture->setTransform(CGAffineTransformIdentity); },
                   [crop](bool) { crop->removeFromSuperview(); });
        });
}

void AmbrelViewController::animateNavigationItemForCropView() {
    std::weak_ptr<UIViewController> weak = weak_from_this();
    auto self = [weak] { return std::static_pointer_cast<AmbrelViewController>(weak.lock()); };
    auto crop = std::make_shared<TitleButtonView>("Crop");
    crop->button().setTitleColor(AppAppearance::tintColor(), UIControlStateNormal);
    crop->setBlock([self] {
        if (auto c = self()) c->cropAction();
    });
    auto cancel = std::make_shared<TitleButtonView>("Cancel");
    cancel->setBlock([self] {
        if (auto c = self()) c->cropCancelAction();
    });
    UINavigationItem& item = navigationItem();
    item.setLeftBarButtonItem(UIBarButtonItem::itemWithCustomView(cancel), true);
    item.setRightBarButtonItem(UIBarButtonItem::itemWithCustomView(crop), true);
    item.setTitleView(AppAppearance::titleViewWithString("Crop Photo"));
}

void AmbrelViewController::animateCropButtonMenuView(ButtonMenuView& menu) {
    std::weak_ptr<UIViewController> weak = weak_from_this();
    std::weak_ptr<UIView> weakMenu = std::static_pointer_cast<UIView>(menu.shared_from_this());
    menu.addButtonWithString("Aspect", AppAppearance::tintColor(), [weak, weakMenu](NSObject&) {
        auto self = std::static_pointer_cast<AmbrelViewController>(weak.lock());
        auto shown = std::static_pointer_cast<ButtonMenuView>(weakMenu.lock());
        if (self && shown) self->showCropAspectSheet(*shown);
    });
    menu.addButtonWithString("Reset", AppAppearance::tintColor(), [weak](NSObject&) {
        auto self = std::static_pointer_cast<AmbrelViewController>(weak.lock());
        if (self && self->cropView_) CropScreen::resetCrop(*self->cropView_, true);
    });
}

void AmbrelViewController::animateCropRect() {
    if (cropView_)
        CropScreen::showRecordedCrop(*cropView_, TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect);
}

void AmbrelViewController::cropAction() {
    // Without a photo, or with nothing to record, nothing is recorded: the mode just closes.
    if (cropView_ && graphicsView_->unprocessedImage()) {
        if (auto recorded = CropScreen::recordableCrop(*cropView_)) {
            graphicsView_->setCroppedImage(cropView_->croppedAndScaledImage());
            TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect = *recorded;
        }
    }
    animateCropView(false);
}

void AmbrelViewController::cropCancelAction() {
    // The recorded crop comes back free: a chosen aspect goes with the change it belonged to.
    if (cropView_) cropView_->setKeepingCropAspectRatio(false);
    animateCropRect();
    animateCropView(false);
}

void AmbrelViewController::showCropAspectSheet(ButtonMenuView& menu) {
    if (!cropView_) return;
    cropAspectSheet_ = CropScreen::aspectSheet(cropView_);
    if (DeviceUtility::isIPad() && !menu.buttonViews().empty()) {
        const auto& first = menu.buttonViews().front();
        cropAspectSheet_->showFromRect(first->frame(), first->superview()->shared_from_this(), true);
    } else if (UINavigationController* navigation = navigationController()) {
        cropAspectSheet_->showFromToolbar(navigation->toolbar());
    } else {
        cropAspectSheet_->showInView(view());
    }
}
