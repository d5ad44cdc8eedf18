// PhotoCollectionView: the album, its order, the selection and the library's changes.
#include "library/browser/PhotoCollectionView.h"

#include <algorithm>
#include <cmath>

#include "library/browser/PhotoCollectionViewCell.h"
#include "library/browser/PhotoListCollectionView.h"
#include "library/metadata/NSMutableDictionary+ImageMetadataUtility.h"
#include "platform/uikit/UIScreen.h"
#include "ui/images/UIImage+ImageUtility.h"

#include "model/AmbrelAppSettings.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NSLocalizedString.h"
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

// The collection view's data source and delegate; the browser owns it and outlives it.
class PhotoCollectionView::CollectionRoles : public UICollectionViewDataSource, public UICollectionViewDelegate {
public:
    explicit CollectionRoles(PhotoCollectionView& v) : view(v) {}
    NSInteger numberOfItemsInSection(UICollectionView&, NSInteger) override {
        return static_cast<NSInteger>(view.numberOfAssets());
    }
    std::shared_ptr<UICollectionViewCell> cellForItemAtIndexPath(UICollectionView&,
                                                                 const NSIndexPath& indexPath) override {
        return view.cellForItemAtIndexPath(indexPath);
    }
    void didSelectItemAtIndexPath(UICollectionView&, const NSIndexPath& indexPath) override {
        view.updateSelectedIndexPath(indexPath);
        view.didSelectAssetAtIndexPath(indexPath);
    }
    void scrollViewDidScroll(UIScrollView&) override { view.updateCachedAssets(); }
    void scrollViewDidEndDecelerating(UIScrollView&) override {
        if (view.photoCollectionLayout() != PhotoCollectionLayoutSingle) return;
        if (auto visible = view.visibleIndexPath()) {
            view.selectItemAtIndexPath(*visible, false, UICollectionViewScrollPositionNone);
            view.didSelectAssetAtIndexPath(*visible);
        }
    }
    PhotoCollectionView& view;
};

PhotoCollectionView::PhotoCollectionView(CGRect frame) : UIView(frame) {
    setBackgroundColor(UIColor::clearColor());
    roles_ = std::make_shared<CollectionRoles>(*this);
    collectionView_ = makePhotoListCollectionView<PhotoCollectionViewCell>(bounds(), photoCollectionGridLayout(),
                                                                           roles_, kCellIdentifier);
    addSubview(collectionView_);
    lastLaidOutBounds_ = bounds();
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

int PhotoCollectionView::saveTypeSetting() { return static_cast<int>(AmbrelAppSettings::sharedInstance().saveType()); }

// ---- Album ---------------------------------------------------------------------------------

std::shared_ptr<PHAsset::FetchResult> PhotoCollectionView::assetsInAssetCollection(
    const PHAssetCollection& collection) {
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
    if (numberOfAssets() > 0)
        selectItemAtIndexPath(NSIndexPath::indexPathForItem(0, 0), false,
                              UICollectionViewScrollPositionCenteredHorizontally);
    collectionView_->layoutIfNeeded();
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
            return NSIndexPath::indexPathForItem(
                assetIndexAtIndex(static_cast<long>(i), static_cast<long>(assets_->count())), 0);
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
    for (auto i : indexes)
        paths.push_back(NSIndexPath::indexPathForItem(assetIndexAtIndex(static_cast<long>(i), count), 0));
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
    resetCachedAssets();
    const long count = static_cast<long>(numberOfAssets());
    const long selectedBefore = lastSelectedIndex_;
    const std::string selectedAssetBefore = selectedAssetIdentifier_;
    // The selection moved (its photo went, or moved): told as any programmatic selection is, so
    // that what names the selected photo follows it.
    auto tellMoved = [&] {
        if ((lastSelectedIndex_ != selectedBefore || selectedAssetIdentifier_ != selectedAssetBefore) &&
            selectedChangedBlock_)
            selectedChangedBlock_(selectedIndexPath());
    };
    if (count == 0) {
        lastSelectedIndex_ = 0;
        selectedAssetIdentifier_.clear();
        return tellMoved();
    }
    // The selection stays on its photo wherever it moved; only when the photo is gone does
    // the position hold, within the album.
    bool found = false;
    for (long i = 0; i < count && !found && !selectedAssetIdentifier_.empty(); ++i)
        if (assetAtIndexPath(NSIndexPath::indexPathForItem(i, 0))->localIdentifier() == selectedAssetIdentifier_) {
            lastSelectedIndex_ = i;
            found = true;
        }
    if (!found) {
        lastSelectedIndex_ = std::clamp(lastSelectedIndex_, 0L, count - 1);
        selectedAssetIdentifier_ = assetAtIndexPath(selectedIndexPath())->localIdentifier();
    }
    // One photo a page: the page shown is the selected photo's.
    if (photoCollectionLayout_ == PhotoCollectionLayoutSingle) {
        auto visible = visibleIndexPath();
        if (!visible || visible->item != lastSelectedIndex_)
            collectionView_->selectItemAtIndexPath(selectedIndexPath(), false,
                                                   UICollectionViewScrollPositionCenteredHorizontally);
    }
    tellMoved();
}

void PhotoCollectionView::selectItemAtIndexPath(const NSIndexPath& indexPath, bool animated,
                                                UICollectionViewScrollPosition position) {
    if (!assetAtIndexPath(indexPath)) return;
    collectionView_->selectItemAtIndexPath(indexPath, animated, position);
    updateSelectedIndexPath(indexPath);
}

std::optional<NSIndexPath> PhotoCollectionView::visibleIndexPath() {
    const CGRect b = collectionView_->bounds();
    const CGPoint centre = CGPointMake(CGRectGetMidX(b), CGRectGetMidY(b));
    if (auto item = collectionView_->indexPathForItemAtPoint(centre);
        item && collectionView_->cellForItemAtIndexPath(*item))
        return item;
    auto visible = collectionView_->indexPathsForVisibleItems();
    if (visible.empty()) return std::nullopt;
    return visible.back();
}

UIImagePtr PhotoCollectionView::selectedImage() {
    auto cell = photoCell(selectedIndexPath());
    return cell ? cell->imageView()->image() : nullptr;
}

void PhotoCollectionView::resetScrollPosition() { collectionView_->setContentOffset(CGPointZero, false); }

void PhotoCollectionView::reloadAssets() { collectionView_->reloadData(); }

void PhotoCollectionView::applyBatchUpdates(const std::vector<NSIndexPath>& removed,
                                            const std::vector<NSIndexPath>& inserted,
                                            const std::vector<NSIndexPath>& changed, std::function<void()> completion) {
    auto batch = [&] {
        collectionView_->performBatchUpdates(
            [&] {
                if (!removed.empty()) collectionView_->deleteItemsAtIndexPaths(removed);
                if (!inserted.empty()) collectionView_->insertItemsAtIndexPaths(inserted);
                if (!changed.empty()) collectionView_->reloadItemsAtIndexPaths(changed);
            },
            [completion](bool) { completion(); });
    };
    // A photo of the program's own arriving appears at once.
    if (!inserted.empty() && !pendingChanges_.empty()) UIView::performWithoutAnimation(batch);
    else batch();
}

// ---- Cells ---------------------------------------------------------------------------------

std::shared_ptr<PhotoCollectionViewCell> PhotoCollectionView::photoCell(const NSIndexPath& indexPath) const {
    return std::dynamic_pointer_cast<PhotoCollectionViewCell>(collectionView_->cellForItemAtIndexPath(indexPath));
}

UIViewContentMode PhotoCollectionView::contentModeForLayout(PhotoCollectionLayout layout) {
    if (layout == PhotoCollectionLayoutSingle) return UIViewContentMode::ScaleAspectFit;
    return UI_USER_INTERFACE_IDIOM() == UIUserInterfaceIdiom::Pad ? UIViewContentMode::ScaleAspectFit
                                                                  : UIViewContentMode::ScaleAspectFill;
}

bool PhotoCollectionView::zoomEnabledForLayout(PhotoCollectionLayout layout) {
    return layout == PhotoCollectionLayoutSingle;
}

bool PhotoCollectionView::shouldShowEditDecoratorForIndexPath(const NSIndexPath& indexPath,
                                                              PhotoCollectionLayout layout) const {
    if (layout != PhotoCollectionLayoutSingle) return false;
    auto metadata = metadataForForIndexPath(indexPath);
    if (!metadata) return false;
    return ImageMetadataUtility::hasSoftwareMetadata(*metadata, ImageMetadataUtility::kKeyword) &&
           ImageMetadataUtility::hasKeyword(*metadata, kEditKeyword);
}

std::shared_ptr<UICollectionViewCell> PhotoCollectionView::cellForItemAtIndexPath(const NSIndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<PhotoCollectionViewCell>(
        collectionView_->dequeueReusableCellWithReuseIdentifier(kCellIdentifier, indexPath));
    const PhotoCollectionLayout layout = photoCollectionLayout_;
    cell->imageView()->setZoomEnabled(zoomEnabledForLayout(layout));
    cell->imageView()->setContentMode(contentModeForLayout(layout));
    cell->setShowEditDecorator(shouldShowEditDecoratorForIndexPath(indexPath, layout));
    resetCloudReload();
    // The tag names this configuration: answers for an earlier one are dropped.
    const int tag = cell->tag() + 1;
    cell->setTag(tag);
    std::weak_ptr<UIView> weakView = weak_from_this();
    std::weak_ptr<PhotoCollectionViewCell> weakCell = cell;
    auto current = [weakCell, tag]() -> std::shared_ptr<PhotoCollectionViewCell> {
        auto c = weakCell.lock();
        return c && c->tag() == tag ? c : nullptr;
    };
    requestImageForIndexPath(
        indexPath, layout,
        [weakView, current, layout, indexPath](UIImagePtr image, const PHImageInfo* info) {
            auto cell = current();
            if (!cell) return;
            // A download that ends without a picture takes its ring away; a photo that cannot
            // be read says so in its place (in one photo a page, with the reason).
            if (!image) {
                if (info && (info->error || info->cancelled)) cell->setShowProgressDecorator(false);
                if (info && info->error && !info->cancelled && !info->inCloud) {
                    std::string text = NSLocalizedString("This photo cannot be shown");
                    const std::string& reason = info->error->localizedFailureReason();
                    if (layout == PhotoCollectionLayoutSingle && !reason.empty()) text += "\n\n" + reason;
                    cell->setUnreadableText(text);
                }
                return;
            }
            cell->setUnreadableText("");
            cell->imageView()->setImage(image);
            if (layout != PhotoCollectionLayoutSingle) return;
            auto strong = weakView.lock();
            auto* self = static_cast<PhotoCollectionView*>(strong.get());
            if (self && self->transitioningImageView_)
                self->transitioningImageView_->setImage(ImageUtility::normalizeOrientation(image));
            const bool degraded = info && info->degraded;
            cell->setShowProgressDecorator(degraded);
            if (degraded) cell->setProgressDecoratorIndeterminate(true);
            else cell->setProgressDecoratorProgress(1.0);
            if (self) cell->setShowEditDecorator(self->shouldShowEditDecoratorForIndexPath(indexPath, layout));
        },
        [weakView, current](double progress) {
            onMain(weakView, [current, progress](PhotoCollectionView* self) {
                if (self) self->cloudReloadReceivedProgress(progress);
                auto cell = current();
                if (!cell) return;
                cell->setShowProgressDecorator(true);
                cell->setProgressDecoratorIndeterminate(false);
                cell->setProgressDecoratorProgress(std::max(progress, kMinimumShownProgress));
                if (progress == 1.0) cell->setShowProgressDecorator(false);
            });
        });
    return cell;
}

// ---- Size changes --------------------------------------------------------------------------

void PhotoCollectionView::setToolbar(std::shared_ptr<UIToolbar> toolbar) {
    if (toolbar_) toolbar_->removeFromSuperview();
    toolbar_ = std::move(toolbar);
    if (toolbar_) addSubview(toolbar_);
    layoutToolbar();
}

void PhotoCollectionView::layoutSubviews() {
    UIView::layoutSubviews();
    const CGRect b = bounds();
    if (b.size == lastLaidOutBounds_.size) return;
    lastLaidOutBounds_ = b;
    invalidatePhotoCollectionLayout();
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
            std::weak_ptr<UIView> weak = weak_from_this();
            applyBatchUpdates(removed, inserted, changed, [weak] {
                auto self = std::static_pointer_cast<PhotoCollectionView>(weak.lock());
                if (!self) return;
                self->photoAssetsChanged();
                --self->batchUpdatesInFlight_;
                self->flushAssetChanges();
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
    if (ignoreCloudReloadShouldLookForEmptyChangeNotification_)
        ignoreCloudReloadRecievedEmptyChangeNotification_ = true;
}

bool PhotoCollectionView::shouldIgnoreCloudReload() {
    if (!ignoreCloudReload_) return false;
    resetCloudReload();
    return true;
}
