// PhotoCollectionView: full-resolution pictures, metadata and the large progress ring.
#include <cmath>

#include "library/browser/PhotoCollectionView.h"
#include "library/browser/PhotoCollectionViewCell.h"
#include "platform/foundation/Dispatch.h"
#include "platform/photos/PHImageManager.h"
#include "platform/uikit/UIApplication.h"
#include "ui/foundation/DispatchUtility.h"
#include "ui/widgets/CircularProgressView.h"

namespace {

constexpr CGFloat kLargeProgressSide = 100;

}  // namespace

std::uint64_t PhotoCollectionView::beginProgressRequest() {
    progressRequests_.insert(++nextProgressRequest_);
    return nextProgressRequest_;
}

void PhotoCollectionView::endProgressRequest(std::uint64_t request) { progressRequests_.erase(request); }

void PhotoCollectionView::setProgressViewShowing(bool showing, double progress, std::uint64_t request) {
    onMain(weak_from_this(), [showing, progress, request](PhotoCollectionView* self) {
        if (self) self->applyProgressView(showing, progress, request);
    });
}

void PhotoCollectionView::applyProgressView(bool showing, double progress, std::uint64_t request) {
    if (!showing) {
        if (!progressView_) return;
        progressView_->removeFromSuperview();
        progressView_.reset();
        UIApplication::sharedApplication().endIgnoringInteractionEvents();
        return;
    }
    // A show that arrives after its request has ended would leave the ring up for good.
    if (request != 0 && !progressRequests_.count(request)) return;
    if (!progressView_) {
        UIApplication::sharedApplication().beginIgnoringInteractionEvents();
        if (auto cell = photoCell(selectedIndexPath())) cell->setProgressDecoratorHidden(true);
        progressView_ =
            PhotoCollectionViewCell::progressDecoratorViewOfSize(CGSizeMake(kLargeProgressSide, kLargeProgressSide));
        progressView_->setCenter(CGPointMake(CGRectGetMidX(bounds()), CGRectGetMidY(bounds())));
        addSubview(progressView_);
    }
    progressView_->setProgress(progress);
}

UIImagePtr PhotoCollectionView::fullResolutionImageForIndexPath(const NSIndexPath& indexPath) {
    auto asset = assetAtIndexPath(indexPath);
    if (!asset) return nullptr;
    const std::uint64_t request = beginProgressRequest();
    std::weak_ptr<UIView> weak = weak_from_this();
    PHImageRequestOptions options;
    options.networkAccessAllowed = true;
    options.deliveryMode = PHImageRequestOptionsDeliveryModeHighQualityFormat;
    options.progressHandler = [weak, request](double progress, bool*) {
        onMain(weak, [progress, request](PhotoCollectionView* self) {
            if (self) self->applyProgressView(true, progress, request);
        });
    };
    auto utility = DispatchUtility::beginWaitingForEventCompletionUtility();
    auto* event = utility.get();
    UIImagePtr image;
    PHImageManager::defaultManager().requestImageDataForAsset(
        *asset, options, [this, request, event, &image](auto data, const std::string&, int, const PHImageInfo&) {
            endProgressRequest(request);
            applyProgressView(false, 1.0, request);
            if (data) image = UIImage::imageWithData(*data);
            event->signalEventCompletion();
        });
    DispatchUtility::waitForEventCompletionAndRelease(std::move(utility));
    return image;
}

std::optional<PhotoCollectionView::Metadata> PhotoCollectionView::metadataForForIndexPath(
    const NSIndexPath& indexPath) const {
    auto asset = assetAtIndexPath(indexPath);
    if (!asset) return std::nullopt;
    PHImageRequestOptions options;
    options.synchronous = true;
    std::optional<Metadata> result;
    PHImageManager::defaultManager().requestImageDataForAsset(
        *asset, options, [&result](auto data, const std::string&, int, const PHImageInfo&) {
            if (!data) return;
            try {
                auto source = platform::ImageSource::createWithData(*data);
                if (!source) return;
                auto properties = source->propertiesAtIndex(0);
                if (!properties.empty()) result = std::move(properties);
            } catch (const std::exception&) {
                // An unreadable file gives no metadata.
            }
        });
    return result;
}

// ---- Pictures of cells ---------------------------------------------------------------------

UIImagePtr PhotoCollectionView::thumbnailForAsset(const PHAsset& asset, bool fromCache, PHImageInfo* info) {
    PHImageRequestOptions options;
    options.synchronous = true;
    UIImagePtr image;
    PHImageManager& manager = fromCache ? *cachingImageManager_ : PHImageManager::defaultManager();
    manager.requestImageForAsset(asset, gridLayoutItemSize_, PHImageContentModeAspectFit, options,
                                 [&image, info](UIImagePtr result, const PHImageInfo& answer) {
                                     image = std::move(result);
                                     if (info) *info = answer;
                                 });
    return image;
}

UIImagePtr PhotoCollectionView::thumbnailForIndexPath(const NSIndexPath& indexPath, bool fromCache) {
    auto asset = assetAtIndexPath(indexPath);
    return asset ? thumbnailForAsset(*asset, fromCache) : nullptr;
}

void PhotoCollectionView::requestImageForIndexPath(const NSIndexPath& indexPath, PhotoCollectionLayout layout,
                                                   ImageCompletion completion, ImageProgress progress) {
    if (layout == PhotoCollectionLayoutGrid) {
        auto asset = assetAtIndexPath(indexPath);
        PHImageInfo info;
        UIImagePtr image = asset ? thumbnailForAsset(*asset, true, &info) : nullptr;
        completion(std::move(image), &info);
        return;
    }
    requestFullScreenImageForIndexPath(indexPath, std::move(completion), std::move(progress));
}

void PhotoCollectionView::requestFullScreenImageForIndexPath(const NSIndexPath& indexPath, ImageCompletion completion,
                                                             ImageProgress progress) {
    auto asset = assetAtIndexPath(indexPath);
    if (!asset) {
        if (completion) completion(nullptr, nullptr);
        return;
    }
    PHImageRequestOptions options;
    options.networkAccessAllowed = true;
    if (progress) options.progressHandler = [progress](double p, bool*) { progress(p); };
    PHImageManager::defaultManager().requestImageForAsset(*asset, singleLayoutItemSize_, PHImageContentModeAspectFit,
                                                          options,
                                                          [completion](UIImagePtr image, const PHImageInfo& info) {
                                                              if (completion) completion(std::move(image), &info);
                                                          });
}

UIImagePtr PhotoCollectionView::savedPhotoGroupImage(bool cached) {
    if (cached && assetsGroup_ && assetsGroupIsSavedPhotos(*assetsGroup_)) {
        auto last = assets_ ? assets_->lastObject() : nullptr;
        return last ? thumbnailForAsset(*last, true) : nullptr;
    }
    auto group = savedPhotosGroup();
    if (!group) return nullptr;
    auto last = assetsInAssetCollection(*group)->lastObject();
    return last ? thumbnailForAsset(*last, cached) : nullptr;
}

// ---- Preheating ----------------------------------------------------------------------------

void PhotoCollectionView::computeDifferenceBetweenRect(CGRect oldRect, CGRect newRect,
                                                       const std::function<void(CGRect)>& removedHandler,
                                                       const std::function<void(CGRect)>& addedHandler) {
    if (CGRectIsEmpty(CGRectIntersection(oldRect, newRect))) {
        addedHandler(newRect);
        removedHandler(oldRect);
        return;
    }
    const CGFloat oldMaxY = CGRectGetMaxY(oldRect), oldMinY = CGRectGetMinY(oldRect);
    const CGFloat newMaxY = CGRectGetMaxY(newRect), newMinY = CGRectGetMinY(newRect);
    auto strip = [&](CGFloat from, CGFloat to) {
        return CGRectMake(newRect.origin.x, from, newRect.size.width, to - from);
    };
    if (newMaxY > oldMaxY) addedHandler(strip(oldMaxY, newMaxY));
    if (oldMinY > newMinY) addedHandler(strip(newMinY, oldMinY));
    if (newMaxY < oldMaxY) removedHandler(strip(newMaxY, oldMaxY));
    if (oldMinY < newMinY) removedHandler(strip(oldMinY, newMinY));
}

void PhotoCollectionView::updateCachedAssets() {
    if (!superview() || !assets_) return;
    const CGRect visible = collectionView_->bounds();
    const CGFloat height = visible.size.height;
    const CGRect preheat = CGRectInset(visible, 0, -0.5 * height);
    if (std::fabs(CGRectGetMidY(preheat) - CGRectGetMidY(previousPreheatRect_)) <= height / 3) return;
    std::vector<PHAssetPtr> added, removed;
    auto collect = [this](std::vector<PHAssetPtr>& into) {
        return [this, &into](CGRect rect) {
            for (auto& attributes : collectionView_->collectionViewLayout()->layoutAttributesForElementsInRect(rect))
                if (auto asset = assetAtIndexPath(attributes.indexPath)) into.push_back(asset);
        };
    };
    computeDifferenceBetweenRect(previousPreheatRect_, preheat, collect(removed), collect(added));
    if (!added.empty())
        cachingImageManager_->startCachingImagesForAssets(added, gridLayoutItemSize_, PHImageContentModeAspectFit, {});
    if (!removed.empty())
        cachingImageManager_->stopCachingImagesForAssets(removed, gridLayoutItemSize_, PHImageContentModeAspectFit, {});
    previousPreheatRect_ = preheat;
}

void PhotoCollectionView::resetCachedAssets() {
    cachingImageManager_->stopCachingImagesForAllAssets();
    previousPreheatRect_ = CGRectZero;
    if (photoCollectionLayout_ == PhotoCollectionLayoutGrid) updateCachedAssets();
}
