// PhotoCollectionView: the album, its order, the selection and the library's changes.
#include "library/browser/PhotoCollectionView.h"

#include <algorithm>

#include "model/AmbrelAppSettings.h"
#include "platform/foundation/Dispatch.h"
#include "platform/photos/PHChange.h"
#include "platform/photos/PHFetchResultChangeDetails.h"
#include "platform/uikit/UIApplication.h"

// Registered weakly with the library; hands each notification to the main queue while its
// view lives (the view clears `view` when it goes, on the main thread).
class PhotoCollectionView::LibraryObserver : public PHPhotoLibraryChangeObserver,
                                             public std::enable_shared_from_this<LibraryObserver> {
public:
    explicit LibraryObserver(PhotoCollectionView* v) : view(v) {}
    void photoLibraryDidChange(const PHChange&) override {
        std::weak_ptr<LibraryObserver> weak = shared_from_this();
        dispatch_async(dispatch_get_main_queue(), [weak] {
            if (auto self = weak.lock(); self && self->view) self->view->photoLibraryDidChange();
        });
    }
    PhotoCollectionView* view;
};

PhotoCollectionView::PhotoCollectionView(CGRect frame) : UIView(frame) {
    setBackgroundColor(UIColor::clearColor());
    observer_ = std::make_shared<LibraryObserver>(this);
    if (auto library = PHPhotoLibrary::sharedPhotoLibrary()) library->registerChangeObserver(observer_);
}

PhotoCollectionView::~PhotoCollectionView() {
    observer_->view = nullptr;
    if (auto library = PHPhotoLibrary::sharedPhotoLibrary()) library->unregisterChangeObserver(observer_.get());
    if (assetEditingInputId_ && assetEditingRequestAsset_)
        assetEditingRequestAsset_->cancelContentEditingInputRequest(*assetEditingInputId_);
    if (progressView_) UIApplication::sharedApplication().endIgnoringInteractionEvents();
}

void PhotoCollectionView::onMain(std::weak_ptr<UIView> weak, std::function<void(PhotoCollectionView*)> block) {
    dispatch_async(dispatch_get_main_queue(), [weak = std::move(weak), block = std::move(block)] {
        auto self = weak.lock();
        block(static_cast<PhotoCollectionView*>(self.get()));
    });
}

int PhotoCollectionView::saveTypeSetting() {
    return static_cast<int>(AmbrelAppSettings::sharedInstance().saveType());
}

// ---- Album ---------------------------------------------------------------------------------

std::shared_ptr<PHAsset::FetchResult> PhotoCollectionView::assetsInAssetCollection(const PHAssetCollection& collection) {
    PHFetchOptions options;
    options.mediaType = PHAssetMediaTypeImage;
    return PHAsset::fetchAssetsInAssetCollection(collection, options);
}

std::shared_ptr<PHAssetCollection> PhotoCollectionView::savedPhotosGroup() {
    auto library = PHPhotoLibrary::sharedPhotoLibrary();
    if (!library) return nullptr;
    return PHAssetCollection::fetchAssetCollectionsWithType(PHAssetCollectionTypeSmartAlbum,
                                                            PHAssetCollectionSubtypeSmartAlbumUserLibrary, {}, library)
        ->firstObject();
}

bool PhotoCollectionView::assetsGroupIsSavedPhotos(const PHAssetCollection& collection) {
    return collection.assetCollectionSubtype() == PHAssetCollectionSubtypeSmartAlbumUserLibrary;
}

bool PhotoCollectionView::assetsGroupIsSmartAlbum(const PHAssetCollection& collection) {
    return collection.assetCollectionType() == PHAssetCollectionTypeSmartAlbum;
}

void PhotoCollectionView::setPhotoCollectionAssetsSavedPhotosGroup() {
    if (assetsGroup_ && assetsGroupIsSavedPhotos(*assetsGroup_)) return;
    if (auto group = savedPhotosGroup()) setPhotoCollectionAssetsGroup(group);
}

void PhotoCollectionView::setPhotoCollectionAssetsGroup(std::shared_ptr<PHAssetCollection> group) {
    if (!group) return;
    if (assetsGroup_ && assetsGroup_->localIdentifier() == group->localIdentifier()) return;
    assetsGroup_ = std::move(group);
    resetScrollPosition();
    assets_ = assetsInAssetCollection(*assetsGroup_);
    photoAssetsWillChange();
    UIView::performWithoutAnimation([this] { reloadAssets(); });
    if (numberOfAssets() > 0) updateSelectedIndexPath(NSIndexPath::indexPathForItem(0, 0));
    photoAssetsChanged();
}

std::string PhotoCollectionView::assetGroupName() const {
    return assetsGroup_ ? assetsGroup_->localizedTitle() : std::string();
}

long PhotoCollectionView::assetIndexAtIndex(long index, long count) const {
    return assetsGroup_ && assetsGroupIsSmartAlbum(*assetsGroup_) ? count - 1 - index : index;
}

PHAssetPtr PhotoCollectionView::assetAtIndexPath(const NSIndexPath& indexPath) const {
    const long count = static_cast<long>(numberOfAssets());
    if (indexPath.section != 0 || indexPath.item < 0 || indexPath.item >= count) return nullptr;
    return assets_->objectAtIndex(static_cast<std::size_t>(assetIndexAtIndex(indexPath.item, count)));
}

std::optional<NSIndexPath> PhotoCollectionView::indexPathForAsset(const PHAsset& asset) const {
    if (!assets_) return std::nullopt;
    for (std::size_t i = 0; i < assets_->count(); ++i)
        if (assets_->objectAtIndex(i)->localIdentifier() == asset.localIdentifier())
            return NSIndexPath::indexPathForItem(assetIndexAtIndex(static_cast<long>(i), static_cast<long>(assets_->count())), 0);
    return std::nullopt;
}

std::optional<double> PhotoCollectionView::dateForIndexPath(const NSIndexPath& indexPath) const {
    auto asset = assetAtIndexPath(indexPath);
    return asset ? std::optional<double>(asset->creationDate()) : std::nullopt;
}

bool PhotoCollectionView::editableAtIndexPath(const NSIndexPath& indexPath) const {
    auto asset = assetAtIndexPath(indexPath);
    return asset && asset->canPerformEditOperation(PHAssetEditOperation::Content);
}

bool PhotoCollectionView::deletableAtIndexPath(const NSIndexPath& indexPath) const {
    auto asset = assetAtIndexPath(indexPath);
    return asset && asset->canPerformEditOperation(PHAssetEditOperation::Delete);
}

std::vector<NSIndexPath> PhotoCollectionView::indexPathsFromIndexSet(const std::set<std::size_t>& indexes,
                                                                    long count) const {
    std::vector<NSIndexPath> paths;
    for (auto i : indexes) paths.push_back(NSIndexPath::indexPathForItem(assetIndexAtIndex(static_cast<long>(i), count), 0));
    return paths;
}

// ---- Selection -----------------------------------------------------------------------------

void PhotoCollectionView::updateSelectedIndexPath(const NSIndexPath& indexPath) {
    lastSelectedIndex_ = indexPath.item;
    auto asset = assetAtIndexPath(indexPath);
    selectedAssetIdentifier_ = asset ? asset->localIdentifier() : std::string();
    if (selectedChangedBlock_) selectedChangedBlock_(indexPath);
}

void PhotoCollectionView::didSelectAssetAtIndexPath(const NSIndexPath& indexPath) {
    if (selectedBlock_) selectedBlock_(indexPath);
}

void PhotoCollectionView::photoAssetsChanged() {
    const long count = static_cast<long>(numberOfAssets());
    if (count == 0) return;
    // The selection stays on its photo wherever it moved; only when the photo is gone does
    // the position hold, within the album.
    if (!selectedAssetIdentifier_.empty()) {
        for (long i = 0; i < count; ++i) {
            auto asset = assetAtIndexPath(NSIndexPath::indexPathForItem(i, 0));
            if (asset->localIdentifier() == selectedAssetIdentifier_) {
                lastSelectedIndex_ = i;
                return;
            }
        }
    }
    lastSelectedIndex_ = std::clamp(lastSelectedIndex_, 0L, count - 1);
    selectedAssetIdentifier_ = assetAtIndexPath(selectedIndexPath())->localIdentifier();
}

void PhotoCollectionView::resetScrollPosition() {}

void PhotoCollectionView::reloadAssets() {}

void PhotoCollectionView::applyBatchUpdates(const std::vector<NSIndexPath>&, const std::vector<NSIndexPath>&,
                                            const std::vector<NSIndexPath>&, std::function<void()> completion) {
    completion();
}

// ---- Library changes -----------------------------------------------------------------------

void PhotoCollectionView::photoLibraryDidChange() {
    ++takenInChanges_;
    if (!assets_) return;
    auto details = PHFetchResultChangeDetails<PHAsset>::between(assets_, assets_->refetched());
    if (!details) {
        cloudReloadReceivedEmptyChange();
        return;
    }
    const long oldCount = static_cast<long>(assets_->count());
    assets_ = details->fetchResultAfterChanges();
    const long newCount = static_cast<long>(assets_->count());
    // A download finishing reports a change of the photo alone; that one may be absorbed,
    // never a change that adds or removes photos (the shown count must follow the fetch).
    const bool countKept = details->removedIndexes().empty() && details->insertedIndexes().empty();
    if (countKept && shouldIgnoreCloudReload()) return;

    if (details->hasIncrementalChanges() && !details->hasMoves()) {
        auto removed = indexPathsFromIndexSet(details->removedIndexes(), oldCount);
        auto inserted = indexPathsFromIndexSet(details->insertedIndexes(), newCount);
        auto changed = indexPathsFromIndexSet(details->changedIndexes(), newCount);
        const bool overlap = std::any_of(removed.begin(), removed.end(), [&](const NSIndexPath& p) {
            return std::find(changed.begin(), changed.end(), p) != changed.end();
        });
        if (!overlap) {
            if (removed.empty() && inserted.empty() && changed.empty()) return;
            photoAssetsWillChange();
            ++batchUpdatesInFlight_;
            applyBatchUpdates(removed, inserted, changed, [this] {
                photoAssetsChanged();
                --batchUpdatesInFlight_;
                flushAssetChanges();
            });
            return;
        }
    }
    photoAssetsWillChange();
    reloadAssets();
    photoAssetsChanged();
}

void PhotoCollectionView::resetCloudReload() {
    ignoreCloudReload_ = ignoreCloudReloadIsDownloading_ = false;
    ignoreCloudReloadRecievedEmptyChangeNotification_ = ignoreCloudReloadShouldLookForEmptyChangeNotification_ = false;
}

void PhotoCollectionView::cloudReloadReceivedProgress(double progress) {
    if (progress == 1.0) {
        if (ignoreCloudReloadIsDownloading_) {
            ignoreCloudReloadShouldLookForEmptyChangeNotification_ = true;
            if (ignoreCloudReloadRecievedEmptyChangeNotification_) ignoreCloudReload_ = true;
        }
    } else {
        ignoreCloudReloadIsDownloading_ = true;
    }
}

void PhotoCollectionView::cloudReloadReceivedEmptyChange() {
    if (ignoreCloudReloadShouldLookForEmptyChangeNotification_) ignoreCloudReloadRecievedEmptyChangeNotification_ = true;
}

bool PhotoCollectionView::shouldIgnoreCloudReload() {
    if (!ignoreCloudReload_) return false;
    resetCloudReload();
    return true;
}
