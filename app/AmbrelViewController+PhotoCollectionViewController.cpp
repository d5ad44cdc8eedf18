// The album on the main screen: the photo collection (the camera saves through it and the album
// button shows its newest picture) with its toolbar and the album list, made once at the end of
// start-up and only hidden afterwards; coming in from the camera and going
// back, grid and single photo with their titles, and album editing entered with the editing
// state and crop stored with the photo and left again. Also the edit's ways out: saved in
// place or as a copy, exported, shared or reverted.
#include <cstdio>
#include <ctime>
#include <iostream>

#include "app/AmbrelViewController.h"
#include "app/controls/CollectionView.h"
#include "engine/view/ImageData.h"
#include "library/albums/PhotoGroupCollectionView.h"
#include "library/browser/PhotoCollectionView.h"
#include "library/saving/ErrorUtility.h"
#include "library/sharing/ShareController.h"
#include "model/AmbrelAppSettings.h"
#include "model/DeviceUtility.h"
#include "model/State.h"
#include "model/Type.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NSLocalizedString.h"
#include "platform/photos/PHPhotoLibrary.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationItem.h"
#include "screens/crop/CropView.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/widgets/AmbrelActivityView.h"
#include "ui/widgets/ImageButtonView.h"

namespace {

constexpr CGFloat kToolbarHeight = 44;
constexpr CGFloat kEditTitleSize = 15;
constexpr double kAlbumSlideDuration = 0.4;
constexpr double kCellDelayStep = 0.01, kCellDuration = 0.4, kCellDamping = 0.8, kCellVelocity = 1.0;
constexpr double kGroupFadeDuration = 0.4, kGroupZoomDuration = 0.6, kGroupZoomScale = 0.1;
constexpr double kImageTransitionDuration = 0.2;
constexpr double kBounceDelay = 0.1;
// The indicator is on screen before the main thread renders.
constexpr double kIndicatorLead = 0.01;
constexpr CGFloat kDateTitleSize = 13, kTimeTitleSize = 10, kTitleGap = 4;
constexpr CGFloat kCameraItemInset = 7;

void afterDelay(double seconds, std::function<void()> block) {
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, static_cast<std::int64_t>(seconds * NSEC_PER_SEC)),
                   dispatch_get_main_queue(), std::move(block));
}

void onMain(std::function<void()> block) { dispatch_async(dispatch_get_main_queue(), std::move(block)); }

// Deferred work (animation ends, the library's answers) runs only while the screen lives.
template <typename Block>
auto whileAlive(std::weak_ptr<UIViewController> weak, Block block) {
    return [weak, block = std::move(block)](auto&&... args) mutable {
        if (!weak.expired()) block(std::forward<decltype(args)>(args)...);
    };
}

}  // namespace

// ---- Titles ---------------------------------------------------------------------------------

// English, in local time: "Today", "Yesterday", else the long date; the time short.
std::string AmbrelViewController::relativeDateTitle(double seconds, std::time_t now) {
    const std::time_t when = static_cast<std::time_t>(seconds);
    std::tm day{}, today{};
    localtime_r(&when, &day);
    localtime_r(&now, &today);
    std::tm yesterday = today;
    yesterday.tm_mday -= 1;
    yesterday.tm_isdst = -1;
    std::mktime(&yesterday);
    auto same = [&day](const std::tm& other) { return day.tm_year == other.tm_year && day.tm_yday == other.tm_yday; };
    if (same(today)) return "Today";
    if (same(yesterday)) return "Yesterday";
    static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
    return std::string(kMonths[day.tm_mon]) + " " + std::to_string(day.tm_mday) + ", " +
           std::to_string(day.tm_year + 1900);
}

std::string AmbrelViewController::shortTimeTitle(double seconds) {
    const std::time_t when = static_cast<std::time_t>(seconds);
    std::tm time{};
    localtime_r(&when, &time);
    const int hour = time.tm_hour % 12 == 0 ? 12 : time.tm_hour % 12;
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d %s", hour, time.tm_min, time.tm_hour < 12 ? "AM" : "PM");
    return text;
}

std::string AmbrelViewController::titleForLeftBarButtonWithLayout(int layout) const {
    if (layout != PhotoCollectionLayoutSingle) return "Albums";
    const std::string album = photoCollectionView_ ? photoCollectionView_->assetGroupName() : std::string();
    return album.empty() ? "All Photos" : album;
}

std::shared_ptr<UIView> AmbrelViewController::titleViewForPhotoCollectionWithLayout(int layout) {
    if (layout == PhotoCollectionLayoutSingle) return titleViewForSelectedAsset();
    return AppAppearance::titleViewWithString(photoCollectionView_->assetGroupName());
}

std::shared_ptr<UIView> AmbrelViewController::titleViewForSelectedAsset() {
    const std::optional<double> date =
        photoCollectionView_->dateForIndexPath(photoCollectionView_->selectedIndexPath());
    auto label = [](const std::string& text, CGFloat size) {
        auto view = std::make_shared<UILabel>();
        view->setText(text);
        view->setFont(AppAppearance::defaultFontOfSize(size));
        view->setTextColor(AppAppearance::defaultTitleColor());
        view->setBackgroundColor(UIColor::clearColor());
        view->sizeToFit();
        return view;
    };
    auto dateLabel = label(date ? relativeDateTitle(*date, std::time(nullptr)) : "", kDateTitleSize);
    auto timeLabel = label(date ? shortTimeTitle(*date) : "", kTimeTitleSize);
    const CGSize dateSize = dateLabel->frame().size, timeSize = timeLabel->frame().size;
    const CGFloat width = std::max(dateSize.width, timeSize.width);
    auto container = std::make_shared<UIView>(CGRectMake(0, 0, width, dateSize.height + timeSize.height + kTitleGap));
    dateLabel->setFrame(CGRectMake((width - dateSize.width) / 2, 0, dateSize.width, dateSize.height));
    timeLabel->setFrame(
        CGRectMake((width - timeSize.width) / 2, dateSize.height + kTitleGap, timeSize.width, timeSize.height));
    container->addSubview(dateLabel);
    container->addSubview(timeLabel);
    return container;
}

void AmbrelViewController::photoCollectionSelectionChanged(const NSIndexPath& indexPath) {
    if (photoCollectionToolbar_ && !photoCollectionToolbar_->items().empty())
        photoCollectionToolbar_->items().back()->setEnabled(photoCollectionView_->deletableAtIndexPath(indexPath));
    // One photo shown: its date heads the screen, also when a delete brought the next one.
    // Not while the album list, album editing or the camera has the bar.
    const bool listShown = photoGroupCollectionView_ && !photoGroupCollectionView_->isHidden();
    if (!albumEditing_ || photoCollectionView_->isHidden() || listShown ||
        photoCollectionView_->photoCollectionLayout() != PhotoCollectionLayoutSingle)
        return;
    navigationItem().setTitleView(titleViewForSelectedAsset());
}

// ---- Set-up ---------------------------------------------------------------------------------

void AmbrelViewController::initializePhotoCollectionView() {
    if (photoCollectionView_) return;
    animateImageViewTransitions_ = true;
    UIView& main = *view();
    const CGRect bounds = main.bounds();

    auto photos = std::make_shared<PhotoCollectionView>(bounds);
    photos->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    photos->setSelectedBlock([this](const NSIndexPath& indexPath) {
        animatePhotoCollectionViewLayout(PhotoCollectionLayoutSingle, indexPath);
    });
    photos->setSelectedChangedBlock(
        [this](const NSIndexPath& indexPath) { photoCollectionSelectionChanged(indexPath); });
    photos->setPhotoCollectionAssetsSavedPhotosGroup();
    photoCollectionView_ = photos;
    // What opening the library had to do to it (an index made anew, photos taken back in) is
    // said once, when the library first opens.
    if (auto library = PHPhotoLibrary::sharedPhotoLibrary()) {
        std::string said;
        for (const auto& notice : library->store().sweepReport().notices()) {
            std::fprintf(stderr, "tavorin: %s\n", notice.c_str());
            said += (said.empty() ? "" : "\n\n") + notice;
        }
        // On the next turn: during start-up there is no window to show it in yet.
        if (!said.empty())
            dispatch_async(dispatch_get_main_queue(), [said] {
                UIAlertView::alertView(NSLocalizedString("Photo Library"), said, nullptr, NSLocalizedString("OK"))
                    ->show();
            });
    }

    auto groups = std::make_shared<PhotoGroupCollectionView>(CGRectMake(0, 0, bounds.size.width, bounds.size.height));
    groups->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    groups->setCenter(CGPointMake(photos->center().x, groups->center().y));
    groups->setSelectedBlock([this](const std::shared_ptr<PHAssetCollection>& collection) {
        photoCollectionView_->setPhotoCollectionAssetsGroup(collection);
        animatePhotoGroupCollectionView(false);
    });
    photoGroupCollectionView_ = groups;

    auto toolbar = std::make_shared<UIToolbar>(
        CGRectMake(0, bounds.size.height - kToolbarHeight, bounds.size.width, kToolbarHeight));
    toolbar->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleTopMargin);
    AppAppearance::setToolbar(*toolbar, AppAppearance::defaultPhotoCollectionToolbarColor(), true);
    auto edit = std::make_shared<TitleButtonView>("Edit");
    edit->setTitleSize(kEditTitleSize);
    edit->setBlock([this] { animatePhotoCollectionViewToAlbumEditing(); });
    std::weak_ptr<UIToolbar> weakToolbar = toolbar;
    toolbar->setItems({
        UIBarButtonItem::itemWithSystemItem(
            UIBarButtonSystemItem::Action,
            [this, weakToolbar](UIBarButtonItem&) {
                auto bar = weakToolbar.lock();
                const NSIndexPath selected = photoCollectionView_->selectedIndexPath();
                UIImagePtr image = photoCollectionView_->fullResolutionImageForIndexPath(selected);
                if (!image || !bar) return;
                ShareController::presentShareController(
                    *this, bar->items().front(), image,
                    photoCollectionView_->metadataForForIndexPath(selected).value_or(PhotoCollectionView::Metadata{}),
                    photoCollectionView_->dateForIndexPath(selected));
            }),
        UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem::FlexibleSpace),
        UIBarButtonItem::itemWithCustomView(edit),
        UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem::FlexibleSpace),
        UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem::Trash,
                                            [this](UIBarButtonItem&) { deleteSelectedPhoto(); }),
    });
    photoCollectionToolbar_ = toolbar;
    photos->setToolbar(toolbar);

    main.addSubview(groups);
    main.addSubview(photos);
    groups->setHidden(true);
    photos->setHidden(true);
}

// ---- Entering and leaving -------------------------------------------------------------------

void AmbrelViewController::animatePhotoCollectionView(bool show) {
    if (!photoCollectionView_) return;
    StateController& states = StateController::sharedInstance();
    if (show) {
        states.pushNamedState(kCameraState);
        animateNavigationItemForPhotoCollectionView();
        setPhotoCollectionViewShowing(true);
        photoCollectionView_->setHidden(false);
    } else {
        selectModeTypeSelection();
        states.popToNamedState(kCameraState, false);
        resetTypeSelectionCategories();
        animateNavigationItemForCameraView();
        setPhotoCollectionViewShowing(false);
        setAlbumEditing(false);
    }
    animateTransitionToAlbumView(show);
    AnimationUtility::animateView(
        photoCollectionView_, AnimationUtility::fadeAndTransform(
                                  CGAffineTransformMakeTranslation(photoCollectionView_->frame().size.width, 0), show,
                                  kAlbumSlideDuration, false));
    if (show && !DeviceUtility::hasAXGPU()) animateCameraEnabled(false);
    animatePhotoCollectionViewObjects(show, whileAlive(weak_from_this(), [this, show](bool) {
                                          if (show) setAlbumEditing(true);
                                          else photoCollectionView_->setHidden(true);
                                      }));
}

void AmbrelViewController::animatePhotoCollectionViewObjects(bool show, BoolBlock completion) {
    const auto& grid = photoCollectionView_->collectionView();
    const CGAffineTransform far = CGAffineTransformMakeTranslation(grid->frame().size.width, 0);
    const CGAffineTransform start = show ? far : CGAffineTransformIdentity;
    const CGAffineTransform end = show ? CGAffineTransformIdentity : far;
    std::vector<std::shared_ptr<UICollectionViewCell>> cells;
    for (const NSIndexPath& indexPath : grid->indexPathsForVisibleItems())
        if (auto cell = grid->cellForItemAtIndexPath(indexPath)) cells.push_back(cell);
    if (cells.empty()) {
        if (completion) completion(true);
        return;
    }
    auto count = std::make_shared<std::size_t>(0);
    double delay = 0;
    for (const auto& cell : cells) {
        cell->setTransform(start);
        cell->setAlpha(show ? 0 : 1);
        delay += kCellDelayStep;
        const std::size_t total = cells.size();
        UIView::animateWithDuration(
            kCellDuration, delay, kCellDamping, kCellVelocity, 0,
            [cell, end, show] {
                cell->setTransform(end);
                cell->setAlpha(show ? 1 : 0);
            },
            [count, total, completion](bool finished) {
                if (++*count == total && completion) completion(finished);
            });
    }
}

void AmbrelViewController::setPhotoCollectionViewShowing(bool showing) {
    AppAppearance::setNavigationBar(
        *this, showing ? AppAppearance::defaultPhotoCollectionToolbarColor() : AppAppearance::defaultToolbarColor(),
        showing);
}

void AmbrelViewController::animateNavigationItemForPhotoCollectionView() {
    const int layout = photoCollectionView_->photoCollectionLayout();
    auto camera = std::make_shared<ImageButtonView>(
        UIImage::imageNamed("camera"),
        UIEdgeInsetsMake(kCameraItemInset, kCameraItemInset, kCameraItemInset, kCameraItemInset));
    camera->setBlock([this] { animatePhotoCollectionView(false); });
    auto back = std::make_shared<TitleButtonView>(titleForLeftBarButtonWithLayout(layout));
    back->setBlock([this] {
        if (photoCollectionView_->photoCollectionLayout() == PhotoCollectionLayoutGrid)
            animatePhotoGroupCollectionView(photoGroupCollectionView_->isHidden());
        else animatePhotoCollectionViewLayout(PhotoCollectionLayoutGrid, photoCollectionView_->selectedIndexPath());
    });
    leftItemView_ = back;
    rightItemView_ = camera;
    UINavigationItem& item = navigationItem();
    item.setLeftBarButtonItem(UIBarButtonItem::itemWithCustomView(back), true);
    item.setRightBarButtonItem(UIBarButtonItem::itemWithCustomView(camera), true);
    item.setTitleView(titleViewForPhotoCollectionWithLayout(layout));
}

void AmbrelViewController::animatePhotoCollectionViewLayout(int layout, const NSIndexPath& indexPath, bool animated,
                                                            std::function<void(bool finished)> completion) {
    if (layout != photoCollectionView_->photoCollectionLayout()) {
        if (auto back = std::dynamic_pointer_cast<TitleButtonView>(leftItemView_))
            back->setTitle(titleForLeftBarButtonWithLayout(layout));
        photoCollectionView_->setPhotoCollectionLayout(static_cast<PhotoCollectionLayout>(layout), indexPath, animated,
                                                       std::move(completion));
    } else if (completion) {
        completion(true);
    }
    navigationItem().setTitleView(titleViewForPhotoCollectionWithLayout(layout));
}

void AmbrelViewController::animatePhotoGroupCollectionView(bool show) {
    for (const auto& item : {leftItemView_, rightItemView_})
        if (item) item->setHidden(show);
    navigationItem().setTitleView(
        show ? AppAppearance::titleViewWithString("Albums")
             : titleViewForPhotoCollectionWithLayout(photoCollectionView_->photoCollectionLayout()));
    if (show) photoGroupCollectionView_->setHidden(false);

    CGRect cell = CGRectZero;
    if (const auto& group = photoCollectionView_->assetsGroup())
        cell = photoGroupCollectionView_->rectForAssetGroup(*group);
    const CGRect bounds = photoCollectionView_->bounds();
    const CGAffineTransform zoom =
        CGAffineTransformTranslate(CGAffineTransformMakeScale(kGroupZoomScale, kGroupZoomScale),
                                   (CGRectGetMidX(cell) - CGRectGetMidX(bounds)) / kGroupZoomScale,
                                   (CGRectGetMidY(cell) - CGRectGetMidY(bounds)) / kGroupZoomScale);

    UIApplication::sharedApplication().beginIgnoringInteractionEvents();
    if (show) photoGroupCollectionView_->setAlpha(0);
    auto groups = photoGroupCollectionView_;
    auto photos = photoCollectionView_;
    UIView::animateWithDuration(kGroupFadeDuration, [groups, photos, show] {
        groups->setAlpha(show ? 1 : 0);
        photos->setAlpha(show ? 0 : 1);
    });
    AnimationUtility::animateView(photos, AnimationUtility::fadeAndTransform(zoom, !show, kGroupZoomDuration, false),
                                  [groups, photos, show](bool) {
                                      photos->setTransform(CGAffineTransformIdentity);
                                      UIApplication::sharedApplication().endIgnoringInteractionEvents();
                                      if (!show) groups->setHidden(true);
                                  });
}

// ---- Album editing --------------------------------------------------------------------------

void AmbrelViewController::animatePhotoCollectionViewToAlbumEditing() {
    const NSIndexPath indexPath = photoCollectionView_->selectedIndexPath();
    std::weak_ptr<UIViewController> weak = weak_from_this();
    // The entry settles when the photo has landed and the controls have bounced in.
    ++albumEditTransitions_;
    auto steps = std::make_shared<int>(2);
    std::function<void()> stepDone = whileAlive(weak, [this, steps] {
        if (--*steps == 0) --albumEditTransitions_;
    });
    photoCollectionView_->beginEditingAssetAtIndexPath(
        indexPath, [this, weak, indexPath, stepDone](UIImagePtr image, std::optional<std::string> data) {
            if (weak.expired()) return;
            // Without a picture there is nothing to edit: the album stays and the input goes.
            if (!image) {
                photoCollectionView_->cancelEditingForAssetIndexPath(indexPath);
                --albumEditTransitions_;
                return;
            }
            auto photos = photoCollectionView_;
            photos->animatePhotoAtIndexPath(
                indexPath, graphicsView_, view(),
                whileAlive(weak,
                           [this, stepDone] {
                               setPhotoCollectionViewShowing(false);
                               animateNavigationItemForAlbumEditView();
                               animateExpandCollapseViewWithBounce(stepDone);
                           }),
                [this, weak, image, data](const std::shared_ptr<UIImageView>& imageView,
                                          std::function<void(bool)> done) {
                    if (weak.expired()) return done(false);
                    selectModeTypeSelection();
                    std::string unreadable;
                    albumEditAssetState_ = data ? State::stateFromData(*data, &unreadable) : std::nullopt;
                    // The photo itself is fine; only its stored settings are lost, so it opens
                    // at the default ones, and the person hears why.
                    if (data && !albumEditAssetState_)
                        std::cerr << "tavorin: the photo's stored editing settings could not be read (" << unreadable
                                  << "); it opens with the default settings\n";
                    if (albumEditAssetState_) albumEditAssetState_->restore(false);
                    else StateController::sharedInstance().popToNamedState(kNamedStateDefault, true);
                    resetTypeSelectionCategories();
                    albumEditBeginState_ = State::currentState();
                    animateAlbumEditViewForAlbumEditAssetState();
                    transitionImageViewToAlbumEditing(imageView, image, [done](bool finished) {
                        if (done) done(finished);
                    });
                },
                nullptr,
                [photos, stepDone](bool) {
                    photos->setHidden(true);
                    stepDone();
                });
        });
}

void AmbrelViewController::animateExpandCollapseViewWithBounce(std::function<void()> settled) {
    std::weak_ptr<UIViewController> weak = weak_from_this();
    onMain(whileAlive(weak, [this, weak, settled] {
        expandCollapseView_->toggleExpanded();
        UIView& main = *view();
        for (const auto& front :
             {std::static_pointer_cast<UIView>(circularProgressView_), std::static_pointer_cast<UIView>(slideView_),
              std::static_pointer_cast<UIView>(collectionView_)})
            if (front && front->superview()) main.bringSubviewToFront(front.get());
        afterDelay(kBounceDelay, whileAlive(weak, [this, settled] {
                       animateTransitionToAlbumEditingView(true);
                       if (settled) settled();
                   }));
    }));
}

void AmbrelViewController::transitionImageViewToAlbumEditing(const std::shared_ptr<UIImageView>& imageView,
                                                             const UIImagePtr& image, ImageViewCompletion completion) {
    graphicsView_->setImage(image);
    const CGRect relative = TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect;
    if (!CGRectIsEmpty(relative) && image) {
        const CGSize size = image->size();
        const CGRect rect = CGRectMake(relative.origin.x * size.width, relative.origin.y * size.height,
                                       relative.size.width * size.width, relative.size.height * size.height);
        graphicsView_->setCroppedImage(CropView::croppedAndScaledImageForImage(image, rect));
    }
    transitionImageView(imageView, graphicsView_->image(), std::move(completion));
}

void AmbrelViewController::transitionImageView(const std::shared_ptr<UIImageView>& imageView, const UIImagePtr& image,
                                               ImageViewCompletion completion) {
    if (!animateImageViewTransitions_ || !imageView) {
        if (imageView) imageView->setImage(image);
        if (completion) completion(true);
        return;
    }
    UIView::transitionWithView(
        imageView, kImageTransitionDuration, UIViewAnimationOptionTransitionCrossDissolve,
        [imageView, image] { imageView->setImage(image); },
        [completion](bool finished) {
            if (completion) completion(finished);
        });
}

void AmbrelViewController::animatePhotoCollectionViewFromAlbumEditing(std::function<void()> completion) {
    ++albumEditTransitions_;
    AppAppearance::setBackgroundWithImage(*view(), nullptr, true);
    animateTransitionToAlbumEditingView(false);
    // Only an open crop editor holds a picture to let go of.
    if (cropView_) cropView_->setImage(nullptr);
    TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect = CGRectZero;
    if (graphicsView_) graphicsView_->setCroppedImage(nullptr);
    auto photos = photoCollectionView_;
    std::weak_ptr<UIViewController> weak = weak_from_this();
    photos->animateToPhotoAtIndexPath(
        photos->selectedIndexPath(), graphicsView_, view(),
        whileAlive(weak,
                   [this, photos] {
                       photos->setHidden(false);
                       setPhotoCollectionViewShowing(true);
                       UIView::performWithoutAnimation([this] { animateNavigationItemForPhotoCollectionView(); });
                   }),
        [this, weak, photos](const std::shared_ptr<UIImageView>& imageView, std::function<void(bool)> done) {
            if (weak.expired()) return done(false);
            transitionImageView(imageView, photos->selectedImage(), [done](bool finished) {
                if (done) done(finished);
            });
        },
        nullptr,
        [this, weak, graphics = graphicsView_, completion](bool) {
            graphics->setImage(nullptr);
            if (!weak.expired()) --albumEditTransitions_;
            if (completion) completion();
        });
}

// ---- Saving, exporting, sharing, reverting --------------------------------------------------

void AmbrelViewController::reportSaveFailure(const NSErrorPtr& error) {
    // The person's own "no" needs no alert.
    if (error && error->domain() == photos::kPhotosErrorDomain && error->code() == photos::kPhotosErrorUserCancelled)
        return;
    ErrorUtility::sharedInstance().showAlertForShareError(error);
}

void AmbrelViewController::deleteSelectedPhoto() {
    photoCollectionView_->deleteItemAtIndexPath(photoCollectionView_->selectedIndexPath(),
                                                [](bool deleted, const NSErrorPtr& error) {
                                                    if (!deleted) reportSaveFailure(error);
                                                });
}

UIImagePtr AmbrelViewController::renderEditedPhoto(const NSIndexPath& indexPath, NSErrorPtr* error) {
    // The decoded full-size picture lives only for the render.
    std::shared_ptr<ImageData> data = photoCollectionView_->imageDataForEditingAssetAtIndexPath(
        indexPath, TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect, error);
    if (!data) return nullptr;
    UIImagePtr rendered = graphicsView_->processedImageForImageData(data.get());
    data.reset();
    if (!rendered && error) *error = PhotoCollectionView::saveError("The engine could not render it.");
    return rendered;
}

namespace {

// Indicator on, the work a moment later, and the indicator off with the answer. A failure
// (no picture, the library's NO) finishes the indicator too, so touches come back, and is
// said with its reason once the indicator has gone, so the alert takes the next touch.
void runWithIndicator(std::weak_ptr<UIViewController> owner, const std::shared_ptr<UIView>& host,
                      std::function<void(AmbrelViewController::ChangeAnswer finish)> work,
                      std::function<void(bool)> completion) {
    AmbrelActivityView::beginAnimateActivityViewInView(host);
    afterDelay(kIndicatorLead, [owner, work, completion] {
        auto finish = [owner, completion](bool ok, const NSErrorPtr& error) {
            AmbrelActivityView::finishAnimateActivityView([owner, ok, error](bool) {
                if (!ok && !owner.expired()) AmbrelViewController::reportSaveFailure(error);
            });
            if (completion && !owner.expired()) completion(ok);
        };
        // The indicator goes even when the screen has gone meanwhile.
        if (owner.expired()) return finish(false, nullptr);
        work(finish);
    });
}

}  // namespace

std::optional<AmbrelViewController::RenderedEdit> AmbrelViewController::renderSelectedEdit(NSErrorPtr* error) {
    const NSIndexPath indexPath = photoCollectionView_->selectedIndexPath();
    UIImagePtr rendered = renderEditedPhoto(indexPath, error);
    if (!rendered) return std::nullopt;
    return RenderedEdit{
        indexPath, rendered,
        photoCollectionView_->metadataForForIndexPath(indexPath).value_or(PhotoCollectionView::Metadata{})};
}

AmbrelViewController::ChangeAnswer AmbrelViewController::answerSelecting(ChangeAnswer finish, NSIndexPath select) {
    return [this, weak = weak_from_this(), finish, select](bool ok, const NSErrorPtr& error) {
        onMain([this, weak, finish, select, ok, error] {
            if (weak.expired()) return finish(false, error);
            if (ok)
                photoCollectionView_->selectItemAtIndexPath(select, false,
                                                            UICollectionViewScrollPositionCenteredHorizontally);
            finish(ok, error);
        });
    };
}

void AmbrelViewController::animatePhotoCollectionViewSave(BoolBlock completion, bool copy) {
    runWithIndicator(
        weak_from_this(), graphicsView_,
        [this, copy](ChangeAnswer finish) {
            NSErrorPtr error;
            const auto edit = renderSelectedEdit(&error);
            if (!edit) return finish(false, error);
            const NSIndexPath indexPath = edit->indexPath;
            photoCollectionView_->finishEditingAssetAtIndexPath(
                indexPath, edit->image, State::currentState().data(), edit->metadata, copy,
                [this, indexPath, finish](bool saved, bool inPlace, const NSErrorPtr& error) {
                    // A copy is the newest photo: the first of the user library.
                    answerSelecting(finish, inPlace ? indexPath : NSIndexPath::indexPathForItem(0, 0))(saved, error);
                });
        },
        std::move(completion));
}

void AmbrelViewController::animatePhotoCollectionViewExport(BoolBlock completion) {
    runWithIndicator(
        weak_from_this(), graphicsView_,
        [this](ChangeAnswer finish) {
            NSErrorPtr error;
            const auto edit = renderSelectedEdit(&error);
            if (!edit) return finish(false, error);
            photoCollectionView_->exportNewAssetWithImage(edit->image, edit->metadata,
                                                          answerSelecting(finish, NSIndexPath::indexPathForItem(0, 0)));
        },
        std::move(completion));
}

void AmbrelViewController::animatePhotoCollectionViewRevert(BoolBlock completion) {
    runWithIndicator(
        weak_from_this(), graphicsView_,
        [this](ChangeAnswer finish) {
            const NSIndexPath indexPath = photoCollectionView_->selectedIndexPath();
            photoCollectionView_->revertEditingForAssetIndexPath(indexPath, answerSelecting(finish, indexPath));
        },
        std::move(completion));
}

void AmbrelViewController::animatePhotoCollectionViewShare(BoolBlock completion) {
    if (!photoCollectionView_) return;
    runWithIndicator(
        weak_from_this(), graphicsView_,
        [this](ChangeAnswer finish) {
            NSErrorPtr error;
            const auto edit = renderSelectedEdit(&error);
            if (!edit) return finish(false, error);
            onMain([this, weak = weak_from_this(), edit, finish] {
                if (weak.expired()) return finish(false, nullptr);
                ShareController::presentShareController(
                    *this, std::static_pointer_cast<UIView>(albumEditShareButtonView_), edit->image, edit->metadata,
                    photoCollectionView_->dateForIndexPath(edit->indexPath));
                finish(true, nullptr);
            });
        },
        std::move(completion));
}
