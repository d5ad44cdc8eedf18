// PhotoCollectionView: full-resolution pictures, metadata and the large progress ring.
#include "library/browser/PhotoCollectionView.h"
#include "platform/foundation/Dispatch.h"
#include "platform/photos/PHImageManager.h"
#include "platform/uikit/UIApplication.h"
#include "ui/foundation/DispatchUtility.h"
#include "ui/widgets/CircularProgressView.h"

namespace {

constexpr CGFloat kLargeProgressSide = 100;

std::shared_ptr<CircularProgressView> makeProgressRing(CGFloat side) {
    auto ring = std::make_shared<CircularProgressView>(CGRectMake(0, 0, side, side));
    ring->setShowLabel(false);
    ring->setRelativeThickness(1.0);
    return ring;
}

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
        progressView_ = makeProgressRing(kLargeProgressSide);
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

std::optional<PhotoCollectionView::Metadata> PhotoCollectionView::metadataForForIndexPath(const NSIndexPath& indexPath) const {
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
