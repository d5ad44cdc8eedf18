// Peek and pop: a firm press on a thumbnail of the album's grid peeks at the photo ("Edit",
// "Delete") and pops it into single layout; on the picture being edited it peeks at a
// before-and-after split ("Save" when there is something to save, "Share") and pops into the
// compare state.
#include "app/AmbrelViewController.h"

#include "app/PreviewViewController.h"
#include "library/albums/PhotoGroupCollectionView.h"
#include "library/browser/PhotoCollectionView.h"
#include "platform/uikit/UIImageView.h"
#include "ui/widgets/CompareView.h"
#include "ui/widgets/TitleButtonView.h"

namespace {

// The bumps that answer a pop: a short spring out and the same back.
constexpr double kBumpDuration = 0.2;
constexpr double kBumpDamping = 0.8;
constexpr double kBumpVelocity = 1.0;
constexpr double kCellBumpScale = 1.05;
constexpr double kCompareBumpScale = 1.1;

void bump(std::vector<std::shared_ptr<UIView>> views, double scale) {
    UIView::animateWithDuration(
        kBumpDuration, 0, kBumpDamping, kBumpVelocity, 0,
        [views, scale] {
            for (const auto& v : views) v->setTransform(CGAffineTransformMakeScale(scale, scale));
        },
        [views](bool) {
            UIView::animateWithDuration(
                kBumpDuration, 0, kBumpDamping, kBumpVelocity, 0,
                [views] {
                    for (const auto& v : views) v->setTransform(CGAffineTransformIdentity);
                },
                nullptr);
        });
}

}  // namespace

void AmbrelViewController::enablePreviewing(bool enabled) {
    if (forceTouchCapability() != UIForceTouchCapability::Available) return;
    if (enabled) {
        if (!previewingContext_) previewingContext_ = registerForPreviewingWithDelegate(this, view());
    } else if (previewingContext_) {
        unregisterForPreviewingWithContext(previewingContext_);
        previewingContext_.reset();
    }
}

namespace {

bool albumGridPeekable(const PhotoCollectionView* photos, const UIView* groups) {
    return photos && photos->superview() && !photos->isHidden() &&
           photos->photoCollectionLayout() == PhotoCollectionLayoutGrid && (!groups || groups->isHidden());
}

}  // namespace

std::shared_ptr<UIViewController> AmbrelViewController::previewingContext(UIViewControllerPreviewing& context,
                                                                          CGPoint location) {
    UIView* main = view().get();
    if (albumGridPeekable(photoCollectionView_.get(), photoGroupCollectionView_.get())) {
        PhotoCollectionView& grid = *photoCollectionView_;
        UICollectionView& cells = *grid.collectionView();
        const auto indexPath = cells.indexPathForItemAtPoint(cells.convertPointFromView(location, main));
        auto cell = indexPath ? cells.cellForItemAtIndexPath(*indexPath) : nullptr;
        if (!cell) return nullptr;
        previewingIndexPath_ = indexPath;
        context.setSourceRect(cell->convertRectToView(cell->bounds(), main));

        auto imageView = std::make_shared<UIImageView>(grid.thumbnailForIndexPath(*indexPath));
        imageView->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        imageView->setContentMode(UIViewContentMode::ScaleAspectFit);
        std::weak_ptr<UIImageView> weakImageView = imageView;
        grid.requestFullScreenImageForIndexPath(*indexPath, [weakImageView](UIImagePtr image, const PHImageInfo*) {
            auto shown = weakImageView.lock();
            if (!shown || !image) return;
            // A degraded picture arriving after a sharper one must not replace it.
            if (!shown->image() || image->size().width > shown->image()->size().width) shown->setImage(image);
        });
        auto preview = std::make_shared<PreviewViewController>();
        preview->view()->setFrame(CGRectMake(0, 0, 100, 100));
        preview->setPreviewView(imageView);
        preview->setPreviewActionItems({
            UIPreviewAction::actionWithTitle("Edit", UIPreviewActionStyle::Default,
                                             [this](const UIPreviewAction&, UIViewController&) {
                                                 transitionToPhotoCollectionSingleLayout(
                                                     [this](bool) { animatePhotoCollectionViewToAlbumEditing(); });
                                             }),
            UIPreviewAction::actionWithTitle("Delete", UIPreviewActionStyle::Destructive,
                                             [this](const UIPreviewAction&, UIViewController&) {
                                                 transitionToPhotoCollectionSingleLayout(
                                                     [this](bool) { deleteSelectedPhoto(); });
                                             }),
        });
        return preview;
    }
    if (!editingPeekable()) return nullptr;

    graphicsView_->setShowOriginal(false);
    const auto& content = graphicsView_->contentView();
    if (!content || !content->pointInside(content->convertPointFromView(location, main))) return nullptr;
    context.setSourceRect(content->convertRectToView(content->bounds(), main));

    auto container = std::make_shared<UIView>(CGRectInset(graphicsView_->frame(), -0.01, -0.01));
    container->setBackgroundColor(UIColor::clearColor());
    container->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    auto processed = std::make_shared<UIImageView>(graphicsView_->image());
    processed->setFrame(container->bounds());
    processed->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    processed->setContentMode(UIViewContentMode::ScaleAspectFit);
    container->addSubview(processed);
    auto compare = std::make_shared<CompareView>(container->bounds());
    compare->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    compare->setShowIndicator(false);
    compare->setShowSlider(true);
    compare->setShowSliderEdges(false);
    const UIImagePtr& before =
        graphicsView_->croppedImage() ? graphicsView_->croppedImage() : graphicsView_->unprocessedImage();
    compare->setCompareImage(before, *graphicsView_);
    compare->setAngle(compare->firstAngleStep());
    container->addSubview(compare);

    auto preview = std::make_shared<PreviewViewController>();
    preview->view()->setFrame(compare->frame());
    preview->setPreviewView(container);

    // Each action collapses the controls first, then does what its button would.
    auto run = [this](const std::shared_ptr<TitleButtonView>& button) {
        if (expandCollapseView_) expandCollapseView_->toggleExpanded();
        if (button && button->block()) button->block()();
    };
    std::vector<UIPreviewAction> actions;
    if (!(albumEditAssetState_ && *albumEditAssetState_ == State::currentState()))
        actions.push_back(UIPreviewAction::actionWithTitle(
            "Save", UIPreviewActionStyle::Default,
            [this, run](const UIPreviewAction&, UIViewController&) { run(albumEditDoneButtonView_); }));
    // Kept destructive in style, as the screen has always shown it.
    actions.push_back(UIPreviewAction::actionWithTitle(
        "Share", UIPreviewActionStyle::Destructive,
        [this, run](const UIPreviewAction&, UIViewController&) { run(albumEditShareButtonView_); }));
    preview->setPreviewActionItems(std::move(actions));
    return preview;
}

bool AmbrelViewController::editingPeekable() const {
    return albumEditing_ && (!photoCollectionView_ || photoCollectionView_->isHidden()) && !compareView_ &&
           !settingsView_ && expandCollapseView_ && expandCollapseView_->expanded() && graphicsView_;
}

void AmbrelViewController::previewingContext(UIViewControllerPreviewing&, UIViewController&) {
    if (albumGridPeekable(photoCollectionView_.get(), photoGroupCollectionView_.get())) {
        transitionToPhotoCollectionSingleLayout(nullptr);
    } else if (editingPeekable()) {
        graphicsView_->setShowOriginal(false);
        animateCompareView(true);
        std::vector<std::shared_ptr<UIView>> views{graphicsView_};
        if (compareView_) views.push_back(compareView_);
        bump(std::move(views), kCompareBumpScale);
    }
}

void AmbrelViewController::transitionToPhotoCollectionSingleLayout(std::function<void(bool finished)> completion) {
    if (!previewingIndexPath_ || !photoCollectionView_) return;
    const NSIndexPath indexPath = *previewingIndexPath_;
    PhotoCollectionView& photos = *photoCollectionView_;
    photos.selectItemAtIndexPath(indexPath, false, UICollectionViewScrollPositionNone);
    auto self = std::static_pointer_cast<AmbrelViewController>(shared_from_this());
    std::weak_ptr<AmbrelViewController> weak = self;
    // The navigation items as a tap on the photo sets them, the switch itself not animated.
    animatePhotoCollectionViewLayout(
        PhotoCollectionLayoutSingle, indexPath, false, [weak, indexPath, completion](bool finished) {
            auto me = weak.lock();
            if (!me) return;
            if (auto cell = me->photoCollectionView_->collectionView()->cellForItemAtIndexPath(indexPath))
                bump({cell}, kCellBumpScale);
            if (completion) completion(finished);
        });
}
