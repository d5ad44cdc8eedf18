// The screen's states: the camera state and the album side, expanding and collapsing the
// editing controls, the navigation items of each, turning the camera controls with the device,
// the downward swipe that collapses, and the application events passed on to the picture.
#include "app/AmbrelViewController.h"
#include "camera/buttons/FlashButtonView.h"
#include "camera/buttons/FrontBackButtonView.h"
#include "library/browser/PhotoCollectionView.h"
#include "model/DeviceUtility.h"
#include "model/Type.h"
#include "platform/avfoundation/AVCaptureDevice.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationItem.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/appearance/AppAppearance.h"

namespace {

constexpr CGFloat kBarItemSide = 44;

}  // namespace

void AmbrelViewController::slideView(const std::shared_ptr<UIView>& view, CGFloat dx, CGFloat dy, bool back) {
    AnimationUtility::animateView(
        view, AnimationUtility::fadeAndTransform(CGAffineTransformMakeTranslation(dx, dy), back, kSlideDuration));
}

void AmbrelViewController::setAlbumEditing(bool editing) {
    albumEditing_ = editing;
    enablePreviewing(editing);

    cameraButtonView_->setHidden(editing);
    albumButtonView_->setHidden(editing);
    rotationSelectionView_->setHidden(editing);
    enableRotationSelectionGestures(!editing);

    if (!editing && photoCollectionView_)
        albumButtonView_->setImage(photoCollectionView_->cachedSavedPhotoGroupImage(), false);

    graphicsView_->setFrame(editing ? AppConstants::defaultAlbumViewFrame() : AppConstants::defaultCameraViewFrame());

    const bool transparent = AppConstants::cameraViewIsTransparent();
    bottomView_->setBackgroundColor(!editing && transparent ? AppAppearance::defaultTransparentCameraBarColor()
                                                            : UIColor::clearColor());

    // Crop is offered only for a photo of the album.
    Type& adjust = TypeController::sharedInstance().adjustType();
    const auto crop = TypeController::cropAdjustmentObject();
    const bool cropLast = !adjust.objects().empty() && adjust.objects().back() == crop;
    if (editing && !cropLast) {
        auto items = adjust.objects();
        items.push_back(crop);
        adjust.setObjects(std::move(items));
    } else if (!editing && cropLast) {
        auto items = adjust.objects();
        items.pop_back();
        adjust.setObjects(std::move(items));
    }

    const UIColor barColor = editing       ? AppAppearance::defaultPhotoCollectionToolbarColor()
                             : transparent ? AppAppearance::defaultTransparentCameraBarColor()
                                           : AppAppearance::defaultCameraToolbarColor();
    AppAppearance::setNavigationBar(*this, barColor, editing);

    animateCameraEnabled(!editing);
    animateCameraShowing(!editing);
}

void AmbrelViewController::animateExpandCollapse(bool expanded) {
    if (albumEditing_) animateAlbumEditView(!expanded);
    else animateCameraView(!expanded);
    animateTypeView(expanded);
}

void AmbrelViewController::animateCameraView(bool show) {
    if (show) {
        animateNavigationItemForCameraView();
        setCameraViewOrientation(AppConstants::orientation(), false);
    }
    if (!DeviceUtility::isIPad()) animateCameraViewButton(show);
    slideView(albumButtonView_, 0, 2 * cameraButtonView_->frame().size.height, show);
    slideView(rotationSelectionView_, 2 * rotationSelectionView_->frame().size.width, 0, show);
    enableRotationSelectionGestures(show);
    animateCameraShowing(show);
}

void AmbrelViewController::animateCameraViewButton(bool show) {
    if (cameraButtonView_->isHidden()) return;
    const CGSize size = cameraButtonView_->frame().size;
    if (DeviceUtility::isIPad()) slideView(cameraButtonView_, 2 * size.width, 0, show);
    else slideView(cameraButtonView_, 0, 2 * size.height, show);
}

void AmbrelViewController::animateAlbumEditView(bool show) {
    if (show) {
        animateNavigationItemForAlbumEditView();
        animateAlbumEditViewForAlbumEditAssetState();
    }
    const CGFloat dy = 2 * cameraButtonView_->frame().size.height;
    for (const auto& button : {albumEditCancelButtonView_, albumEditDoneButtonView_, albumEditShareButtonView_})
        slideView(button, 0, dy, show);
}

void AmbrelViewController::animateExpandCollapseView(bool show) {
    slideView(expandCollapseView_, 0, 2 * expandCollapseView_->frame().size.height, show);
    viewfinderCovered_ = !show;
    showNoCameraNotice(noCameraNoticeWanted_);
}

void AmbrelViewController::animateTransitionToAlbumView(bool toAlbum) {
    AppAppearance::setBackgroundWithColor(*view(),
                                          toAlbum ? AppAppearance::defaultPhotoCollectionBackgroundColor()
                                                  : AppAppearance::defaultCameraBackgroundColor(),
                                          true);
    AnimationUtility::Views views{rotationSelectionView_};
    if (toAlbum) views.push_back(graphicsView_);
    views.insert(views.end(), {albumButtonView_, cameraButtonView_, expandCollapseView_});
    AnimationUtility::animateViews(
        views, AnimationUtility::fadeAndTransform(CGAffineTransformIdentity, !toAlbum, kAlbumFadeDuration), 0, 0, false,
        nullptr);
}

void AmbrelViewController::animateTransitionToAlbumEditingView(bool editing) {
    for (const auto& button : {albumEditCancelButtonView_, albumEditDoneButtonView_, albumEditShareButtonView_})
        button->setHidden(!editing);
    if (!editing) expandCollapseView_->setAlpha(0);
}

bool AmbrelViewController::frontAndBackCamerasAvailable() {
    bool front = false, back = false;
    for (const auto& device : platform::AVCaptureDevice::devicesWithMediaType(platform::AVMediaTypeVideo)) {
        front = front || device->position() == platform::AVCaptureDevicePositionFront;
        back = back || device->position() == platform::AVCaptureDevicePositionBack;
    }
    return front && back;
}

void AmbrelViewController::animateNavigationItemForCameraView() {
    auto flash = std::make_shared<FlashButtonView>(CGRectMake(0, 0, kBarItemSide, kBarItemSide));
    // Before the picture exists (the first call builds the screen) the flash shows its default.
    if (graphicsView_) flash->setFlashMode(graphicsView_->graphicsView()->flashMode());
    flash->setBlock([this] { animateFlashButtonAction(); });
    std::shared_ptr<FrontBackButtonView> frontBack;
    if (frontAndBackCamerasAvailable()) {
        frontBack = std::make_shared<FrontBackButtonView>(CGRectMake(0, 0, kBarItemSide, kBarItemSide));
        frontBack->setBlock([this] { animateFrontBackButtonAction(); });
    }
    leftItemView_ = flash;
    rightItemView_ = frontBack;
    setNavigationItems(UIBarButtonItem::itemWithCustomView(flash),
                       frontBack ? UIBarButtonItem::itemWithCustomView(frontBack) : nullptr);
}

void AmbrelViewController::animateNavigationItemForAlbumEditView() {
    leftItemView_ = nullptr;
    rightItemView_ = nullptr;
    setNavigationItems(nullptr, nullptr);
}

void AmbrelViewController::setNavigationItems(std::shared_ptr<UIBarButtonItem> left,
                                              std::shared_ptr<UIBarButtonItem> right) {
    UINavigationItem& item = navigationItem();
    auto set = [&item, left, right](bool animated) {
        item.setLeftBarButtonItem(left, animated);
        item.setRightBarButtonItem(right, animated);
        item.setTitleView(nullptr);
    };
    // While the chevron runs its block the bar's own transition covers the change.
    if (expandCollapseView_ && expandCollapseView_->expanding())
        AnimationUtility::animateNavigationBarTransition(*this, [set] { set(false); });
    else set(true);
}

void AmbrelViewController::setCameraViewOrientation(int orientation, bool animated) {
    if (DeviceUtility::isIPad() || albumEditing_ || expandCollapseView_->expanded()) return;
    const CGAffineTransform turn = CGAffineTransformMakeRotation(AppConstants::angleForOrientation(orientation));
    auto album = std::static_pointer_cast<UIView>(albumButtonView_->button().shared_from_this());
    auto left = leftItemView_, right = rightItemView_;
    UIView::animateWithDuration(animated ? kRotateDuration : 0, [album, left, right, turn] {
        for (const auto& view : {album, left, right})
            if (view) view->setTransform(turn);
    });
}

// ---- Application events ---------------------------------------------------------------------

void AmbrelViewController::applicationWillResignActive(UIApplication&) {
    if (graphicsView_) graphicsView_->applicationWillResignActive();
}

void AmbrelViewController::applicationDidEnterBackground(UIApplication&) {
    if (graphicsView_) graphicsView_->applicationDidEnterBackground();
}

void AmbrelViewController::applicationWillEnterForeground(UIApplication&) {
    // The photo collection is made at the end of start-up: a user who left to grant access
    // comes back before it exists.
    if (photoCollectionView_) albumButtonView_->setImage(photoCollectionView_->savedPhotoGroupImage(), false);
    if (graphicsView_) graphicsView_->applicationWillEnterForeground();
}

void AmbrelViewController::applicationDidBecomeActive(UIApplication&) {
    if (graphicsView_) graphicsView_->applicationDidBecomeActive();
}

void AmbrelViewController::applicationOrientationChanged(int) {
    if (!isViewLoaded()) return;  // an event before the screen exists is dropped
    setCameraViewOrientation(AppConstants::orientation(), true);
    setTypeViewOrientation(AppConstants::orientation(), true);
}

// ---- Gestures -------------------------------------------------------------------------------

bool AmbrelViewController::gestureRecognizer(UIGestureRecognizer&, UIGestureRecognizer&) { return true; }

bool AmbrelViewController::gestureRecognizer(UIGestureRecognizer& recognizer, const UITouch& touch) {
    auto* swipe = dynamic_cast<UISwipeGestureRecognizer*>(&recognizer);
    if (!swipe || !(swipe->direction() & UISwipeGestureRecognizerDirectionDown)) return true;
    return touch.locationInView(view().get()).y > slideView_->frame().origin.y - kSwipeMargin;
}

void AmbrelViewController::handleSwipeGesture(UISwipeGestureRecognizer&) {
    const bool featureShown = settingsView_ || compareView_ || modeInfoView_ || colorView_ || colorMenuView_ ||
                              modeMenuView_ || cropViewShown();
    if (expandCollapseView_->expanded() && !featureShown) expandCollapseView_->toggleExpanded();
}
