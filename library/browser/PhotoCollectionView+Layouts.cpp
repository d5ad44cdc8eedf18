// PhotoCollectionView: the grid and single layouts, the switch between them and the flights of
// a photo between its cell and the editing view.
#include <cmath>

#include "library/browser/PhotoCollectionView.h"
#include "library/browser/PhotoCollectionViewCell.h"
#include "model/DeviceUtility.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScreen.h"
#include "ui/widgets/ImageContentView.h"

namespace {

struct GridMetrics {
    int columns;
    CGFloat spacing;
    CGFloat inset;  // on every side
};

// Phones: three columns 2 points apart, edge to edge. Pads: four columns, five in landscape,
// 20 points apart and from the edges.
GridMetrics gridMetrics() {
    if (UI_USER_INTERFACE_IDIOM() != UIUserInterfaceIdiom::Pad) return {3, 2, 0};
    const auto o = UIApplication::sharedApplication().statusBarOrientation();
    const bool landscape = o == UIInterfaceOrientation::LandscapeLeft || o == UIInterfaceOrientation::LandscapeRight;
    return {landscape ? 5 : 4, 20, 20};
}

CGSize scaled(CGSize size) {
    const CGFloat scale = AppConstants::screenScale();
    return CGSizeMake(size.width * scale, size.height * scale);
}

}  // namespace

// The browser while it lives (null afterwards), for blocks that may outlive it.
std::function<std::shared_ptr<PhotoCollectionView>()> PhotoCollectionView::weakSelf() {
    std::weak_ptr<UIView> weak = weak_from_this();
    return [weak] { return std::static_pointer_cast<PhotoCollectionView>(weak.lock()); };
}

// ---- The layouts ---------------------------------------------------------------------------

std::shared_ptr<UICollectionViewFlowLayout> PhotoCollectionView::photoCollectionGridLayout() {
    auto layout = std::make_shared<UICollectionViewFlowLayout>();
    applyPhotoCollectionGridLayout(*layout);
    return layout;
}

std::shared_ptr<UICollectionViewFlowLayout> PhotoCollectionView::photoCollectionSingleLayout() {
    auto layout = std::make_shared<UICollectionViewFlowLayout>();
    applyPhotoCollectionSingleLayout(*layout);
    return layout;
}

void PhotoCollectionView::applyPhotoCollectionGridLayout(UICollectionViewFlowLayout& layout) {
    const GridMetrics m = gridMetrics();
    const CGFloat side = std::floor((bounds().size.width - (m.columns - 1) * m.spacing - 2 * m.inset) / m.columns);
    layout.setScrollDirection(UICollectionViewScrollDirection::Vertical);
    layout.setItemSize(CGSizeMake(side, side));
    layout.setMinimumInteritemSpacing(m.spacing);
    layout.setMinimumLineSpacing(m.spacing);
    layout.setSectionInset(UIEdgeInsets{m.inset, m.inset, m.inset, m.inset});
    gridLayoutItemSize_ = scaled(CGSizeMake(side, side));
}

void PhotoCollectionView::applyPhotoCollectionSingleLayout(UICollectionViewFlowLayout& layout) {
    const CGSize size =
        CGSizeMake(bounds().size.width, bounds().size.height - (toolbar_ ? toolbar_->frame().size.height : 0));
    layout.setScrollDirection(UICollectionViewScrollDirection::Horizontal);
    layout.setItemSize(size);
    layout.setMinimumInteritemSpacing(0);
    layout.setMinimumLineSpacing(0);
    layout.setSectionInset(UIEdgeInsets{});
    singleLayoutItemSize_ = scaled(size);
}

void PhotoCollectionView::invalidatePhotoCollectionLayout() {
    auto layout = std::dynamic_pointer_cast<UICollectionViewFlowLayout>(collectionView_->collectionViewLayout());
    if (!layout) return;
    layoutToolbar();
    if (photoCollectionLayout_ == PhotoCollectionLayoutSingle) {
        applyPhotoCollectionSingleLayout(*layout);
        layout->invalidateLayout();
        if (assetAtIndexPath(selectedIndexPath()))
            collectionView_->selectItemAtIndexPath(selectedIndexPath(), false,
                                                   UICollectionViewScrollPositionCenteredHorizontally);
    } else {
        applyPhotoCollectionGridLayout(*layout);
        layout->invalidateLayout();
    }
}

void PhotoCollectionView::layoutToolbar() {
    const bool single = photoCollectionLayout_ == PhotoCollectionLayoutSingle;
    CGRect frame = bounds();
    if (toolbar_) {
        toolbar_->setHidden(!single);
        if (single) frame.size.height -= toolbar_->frame().size.height;
    }
    collectionView_->setFrame(frame);
}

// ---- The switch ----------------------------------------------------------------------------

void PhotoCollectionView::setPhotoCollectionLayout(PhotoCollectionLayout layout, bool animated) {
    setPhotoCollectionLayout(layout, selectedIndexPath(), animated);
}

void PhotoCollectionView::setPhotoCollectionLayout(PhotoCollectionLayout layout, const NSIndexPath& requested,
                                                   bool animated, std::function<void(bool)> completion) {
    if (!animated) AnimationUtility::animateImageTransitions(false);
    const PhotoCollectionLayout oldLayout = photoCollectionLayout_;
    photoCollectionLayout_ = layout;
    auto newLayout =
        layout == PhotoCollectionLayoutSingle ? photoCollectionSingleLayout() : photoCollectionGridLayout();
    collectionView_->setContentOffset(collectionView_->contentOffset(), false);
    if (oldLayout == PhotoCollectionLayoutGrid) gridLayoutContentOffset_ = collectionView_->contentOffset();

    // An item that is not on screen cannot fly: the one under the centre does instead.
    NSIndexPath indexPath = requested;
    auto visible = collectionView_->indexPathsForVisibleItems();
    if (std::find(visible.begin(), visible.end(), indexPath) == visible.end())
        if (auto centre = visibleIndexPath()) indexPath = *centre;
    selectItemAtIndexPath(indexPath, false, UICollectionViewScrollPositionNone);

    auto self = weakSelf();
    auto transition = [self, layout, newLayout, indexPath] {
        auto view = self();
        if (!view) return;
        auto& cv = *view->collectionView_;
        view->layoutToolbar();
        cv.setPagingEnabled(layout == PhotoCollectionLayoutSingle);
        UIView::performWithoutAnimation([&] {
            cv.setCollectionViewLayout(newLayout, false);
            cv.layoutIfNeeded();
            cv.reloadItemsAtIndexPaths({indexPath});
            cv.selectItemAtIndexPath(indexPath, false,
                                     layout == PhotoCollectionLayoutSingle
                                         ? UICollectionViewScrollPositionCenteredHorizontally
                                         : UICollectionViewScrollPositionNone);
            if (layout == PhotoCollectionLayoutGrid) {
                cv.setContentOffset(view->gridLayoutContentOffset_, false);
                // An item left outside the restored view is brought to its middle.
                if (auto attributes = cv.layoutAttributesForItemAtIndexPath(indexPath)) {
                    const CGRect frame = cv.convertRectToView(attributes->frame, view.get());
                    if (frame.origin.y > cv.bounds().size.height || frame.origin.y < -frame.size.height)
                        cv.selectItemAtIndexPath(indexPath, false, UICollectionViewScrollPositionCenteredVertically);
                }
            }
            cv.layoutIfNeeded();
        });
        if (auto cell = view->photoCell(indexPath)) cell->showDecoratorsInView(view->superview());
    };
    auto frame = [self, layout, indexPath]() -> CGRect {
        auto view = self();
        if (!view) return CGRectZero;
        if (layout == PhotoCollectionLayoutSingle) return view->collectionView_->frame();
        auto attributes = view->collectionView_->layoutAttributesForItemAtIndexPath(indexPath);
        return attributes ? view->collectionView_->convertRectToView(attributes->frame, view.get()) : CGRectZero;
    };
    auto finished = [self, indexPath, animated, completion](bool done) {
        if (auto view = self())
            if (auto cell = view->photoCell(indexPath)) cell->showDecoratorsInView(cell.get());
        if (!animated) AnimationUtility::animateImageTransitions(true);
        if (completion) completion(done);
    };
    animatePhotoAtIndexPath(indexPath, oldLayout, contentModeForLayout(layout),
                            superview() ? superview()->shared_from_this() : nullptr, transition, nullptr, frame,
                            nullptr, finished);
}

// ---- Flights -------------------------------------------------------------------------------

void PhotoCollectionView::resetZoomScaleForImageView(const std::shared_ptr<ImageContentView>& view,
                                                     FlightCompletion completion) {
    if (!view) {
        if (completion) completion(true);
        return;
    }
    view->resetZoomScale(std::move(completion));
}

void PhotoCollectionView::animatePhotoAtIndexPath(const NSIndexPath& indexPath, PhotoCollectionLayout,
                                                  UIViewContentMode contentMode,
                                                  const std::shared_ptr<UIView>& container, Transition transition,
                                                  ImageTransition imageTransition,
                                                  AnimationUtility::FrameBlock transitionFrame, Transition start,
                                                  FlightCompletion completion) {
    auto cell = photoCell(indexPath);
    std::shared_ptr<UIView> host = container ? container : shared_from_this();
    if (!cell) {
        // Nothing to fly: the change happens at once.
        if (start) start();
        if (transition) transition();
        if (completion) completion(true);
        return;
    }
    auto self = weakSelf();
    const CGRect from = cell->convertRectToView(cell->bounds(), host.get());
    AnimationUtility::ImageFlight flight;
    flight.dissolveView = collectionView_;
    flight.start = [cell, start] {
        cell->setAlpha(0);
        if (start) start();
    };
    flight.transition = [cell, transition] {
        if (transition) transition();
        UIView::performWithoutAnimation([&] { cell->setAlpha(0); });
    };
    flight.imageTransition = [self, imageTransition](const std::shared_ptr<UIImageView>& imageView,
                                                     AnimationCompletion done) {
        if (auto view = self()) view->transitioningImageView_ = imageView;
        if (imageTransition) imageTransition(imageView, std::move(done));
        else if (done) done(true);
    };
    flight.completion = [self, cell, completion](bool finished) {
        if (auto view = self()) view->transitioningImageView_.reset();
        cell->setAlpha(1);
        if (completion) completion(finished);
    };
    AnimationUtility::animateImage(cell->imageView()->image(), from, cell->imageView()->contentMode(),
                                   std::move(transitionFrame), contentMode, host, std::move(flight));
}

void PhotoCollectionView::animatePhotoAtIndexPath(const NSIndexPath& indexPath,
                                                  const std::shared_ptr<ImageContentView>& imageView,
                                                  const std::shared_ptr<UIView>& container, Transition transition,
                                                  ImageTransition imageTransition, Transition start,
                                                  FlightCompletion completion) {
    auto self = weakSelf();
    auto cell = photoCell(indexPath);
    resetZoomScaleForImageView(cell ? cell->imageView() : nullptr, [=](bool) {
        auto view = self();
        if (!view) return;
        view->animatePhotoAtIndexPath(
            indexPath, view->photoCollectionLayout_, imageView->contentMode(), container,
            [self, transition] {
                if (auto v = self()) v->setAlpha(0);
                if (transition) transition();
            },
            imageTransition, [imageView] { return imageView->frame(); },
            [self, imageView, indexPath, start] {
                if (start) start();
                imageView->setAlpha(0);
                if (auto v = self())
                    if (auto c = v->photoCell(indexPath)) c->showDecoratorsInView(nullptr);
            },
            [self, imageView, indexPath, completion](bool finished) {
                if (auto v = self()) {
                    v->setAlpha(1);
                    if (auto c = v->photoCell(indexPath)) c->showDecoratorsInView(c.get());
                }
                imageView->setAlpha(1);
                if (completion) completion(finished);
            });
    });
}

void PhotoCollectionView::animateToPhotoAtIndexPath(const NSIndexPath& indexPath,
                                                    const std::shared_ptr<ImageContentView>& imageView,
                                                    const std::shared_ptr<UIView>& container, Transition transition,
                                                    ImageTransition imageTransition, Transition start,
                                                    FlightCompletion completion) {
    auto self = weakSelf();
    resetZoomScaleForImageView(imageView, [=](bool) {
        auto view = self();
        if (!view) return;
        auto cell = view->photoCell(indexPath);
        resetZoomScaleForImageView(cell ? cell->imageView() : nullptr, [=](bool) {
            auto v = self();
            if (!v) return;
            auto target = v->photoCell(indexPath);
            if (!target) {
                if (start) start();
                if (transition) transition();
                if (completion) completion(true);
                return;
            }
            AnimationUtility::ImageFlight flight;
            flight.dissolveView = v;
            flight.start = [self, imageView, start] {
                imageView->setAlpha(0);
                if (auto p = self()) p->setAlpha(0);
                if (start) start();
            };
            flight.transition = [self, target, transition] {
                auto p = self();
                if (p) p->setAlpha(1);
                if (transition) transition();
                if (p) target->showDecoratorsInView(p->superview());
            };
            flight.imageTransition = imageTransition;
            flight.completion = [target, imageView, completion](bool finished) {
                if (completion) completion(finished);
                imageView->setAlpha(1);
                target->showDecoratorsInView(target.get());
            };
            AnimationUtility::animateImageContentView(imageView, target->imageView(), container, std::move(flight));
        });
    });
}
