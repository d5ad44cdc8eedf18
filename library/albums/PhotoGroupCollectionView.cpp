#include "library/albums/PhotoGroupCollectionView.h"

#include <cmath>

#include "library/albums/PhotoGroupCollectionViewCell.h"
#include "library/browser/PhotoCollectionView.h"
#include "library/browser/PhotoListCollectionView.h"
#include "model/DeviceUtility.h"
#include "platform/foundation/Dispatch.h"
#include "platform/photos/PHImageManager.h"
#include "platform/photos/PHPhotoLibrary.h"
#include "platform/uikit/UIScreen.h"
#include "ui/images/UIImage+ImageUtility.h"
#include "ui/widgets/ImageContentView.h"
#include "ui/widgets/TextDisplayView.h"

namespace {

// The bounds the layout was last made for, kept with the view.
const char kLayoutBoundsKey = 0;

bool isPad() { return UIDevice::currentDevice().userInterfaceIdiom() == UIUserInterfaceIdiom::Pad; }

}  // namespace

// The collection view's data source and delegate, and the library's observer: the view is a
// toolkit view, shared by the window, so these roles hold it only weakly.
class PhotoGroupCollectionView::Roles : public UICollectionViewDataSource,
                                        public UICollectionViewDelegate,
                                        public PHPhotoLibraryChangeObserver,
                                        public std::enable_shared_from_this<Roles> {
public:
    explicit Roles(PhotoGroupCollectionView* v) : view(v) {}
    NSInteger numberOfItemsInSection(UICollectionView&, NSInteger) override {
        return view ? static_cast<NSInteger>(view->collectionFetchResultCache_.size()) : 0;
    }
    std::shared_ptr<UICollectionViewCell> cellForItemAtIndexPath(UICollectionView&,
                                                                 const NSIndexPath& indexPath) override {
        return view->cellForItemAtIndexPath(indexPath);
    }
    void didSelectItemAtIndexPath(UICollectionView&, const NSIndexPath& indexPath) override {
        if (view) view->didSelectGroupAtIndexPath(indexPath);
    }
    void photoLibraryDidChange(const PHChange& change) override {
        std::weak_ptr<Roles> weak = shared_from_this();
        dispatch_async(dispatch_get_main_queue(), [weak, change] {
            if (auto self = weak.lock(); self && self->view) self->view->takeInChange(change);
        });
    }
    PhotoGroupCollectionView* view;
};

PhotoGroupCollectionView::PhotoGroupCollectionView(CGRect frame) : UIView(frame) { initialize(); }

PhotoGroupCollectionView::~PhotoGroupCollectionView() {
    roles_->view = nullptr;
    if (auto library = PHPhotoLibrary::sharedPhotoLibrary()) library->unregisterChangeObserver(roles_.get());
}

void PhotoGroupCollectionView::initialize() {
    roles_ = std::make_shared<Roles>(this);
    setBackgroundColor(UIColor::clearColor());
    collectionView_ = makePhotoListCollectionView<PhotoGroupCollectionViewCell>(bounds(), photoCollectionGroupLayout(),
                                                                                roles_, kCellIdentifier);
    addSubview(collectionView_);
    loadPhotoGroups();
    collectionView_->reloadData();  // it counted its items when it got its data source
    if (auto library = PHPhotoLibrary::sharedPhotoLibrary()) library->registerChangeObserver(roles_);
}

void PhotoGroupCollectionView::loadPhotoGroups() {
    struct Source {
        int type, subtype;
    };
    std::vector<Source> sources = {{PHAssetCollectionTypeSmartAlbum, PHAssetCollectionSubtypeSmartAlbumUserLibrary},
                                   {PHAssetCollectionTypeSmartAlbum, PHAssetCollectionSubtypeSmartAlbumFavorites}};
    if (DeviceUtility::iOSVersionGreaterThanOrEqualTo("9.0"))
        sources.push_back({PHAssetCollectionTypeSmartAlbum, PHAssetCollectionSubtypeSmartAlbumSelfPortraits});
    sources.push_back({PHAssetCollectionTypeSmartAlbum, PHAssetCollectionSubtypeSmartAlbumPanoramas});
    sources.push_back({PHAssetCollectionTypeAlbum, PHAssetCollectionSubtypeAny});
    collectionsFetchResults_.clear();
    for (const auto& source : sources)
        if (auto result = PHAssetCollection::fetchAssetCollectionsWithType(source.type, source.subtype))
            collectionsFetchResults_.push_back(result);
    updateCollectionFetchResultCache();
}

void PhotoGroupCollectionView::updateCollectionFetchResultCache() {
    std::map<NSIndexPath, std::shared_ptr<PhotoGroup>> cache;
    long r = 0;
    for (const auto& source : collectionsFetchResults_)
        for (const auto& collection : source->objects()) {
            if (!collection) continue;
            const auto images = PhotoCollectionView::assetsInAssetCollection(*collection);
            if (!images || images->count() == 0) continue;
            auto group = std::make_shared<PhotoGroup>();
            group->name = collection->localizedTitle();
            group->count = images->count();
            group->collection = collection;
            group->firstAsset = assetsGroupIsSmartAlbum(*collection) ? images->objectAtIndex(images->count() - 1)
                                                                     : images->objectAtIndex(0);
            cache[NSIndexPath::indexPathForItem(r++, 0)] = std::move(group);
        }
    collectionFetchResultCache_ = std::move(cache);
}

bool PhotoGroupCollectionView::assetsGroupIsSmartAlbum(const PHAssetCollection& collection) {
    return collection.assetCollectionType() == PHAssetCollectionTypeSmartAlbum;
}

UIImagePtr PhotoGroupCollectionView::assetCollectionImageForAsset(const PHAsset& asset) {
    PHImageRequestOptions options;
    options.synchronous = true;
    options.deliveryMode = PHImageRequestOptionsDeliveryModeFastFormat;
    UIImagePtr result;
    PHImageManager::defaultManager().requestImageForAsset(
        asset, CGSizeMake(160, 160), PHImageContentModeAspectFit, options,
        [&result](UIImagePtr image, const PHImageInfo&) { result = std::move(image); });
    return result;
}

std::shared_ptr<UICollectionViewCell> PhotoGroupCollectionView::cellForItemAtIndexPath(const NSIndexPath& indexPath) {
    auto cell = std::static_pointer_cast<PhotoGroupCollectionViewCell>(
        collectionView_->dequeueReusableCellWithReuseIdentifier(kCellIdentifier, indexPath));
    const auto found = collectionFetchResultCache_.find(indexPath);
    if (found == collectionFetchResultCache_.end()) return cell;
    const PhotoGroup& group = *found->second;
    if (group.firstAsset) {
        const CGRect b = cell->bounds();
        const auto source = assetCollectionImageForAsset(*group.firstAsset);
        const auto small = ImageUtility::resizedImageWithContentMode(
            source, UIViewContentMode::ScaleAspectFill, CGSizeMake(b.size.width * 0.125, b.size.height * 0.125),
            kCGInterpolationDefault);
        cell->imageView()->setImage(ImageUtility::blur(small, 4));
    }
    cell->textDisplayView()->setHeaderText(group.name);
    cell->textDisplayView()->setDetailText(std::to_string(group.count) + (group.count == 1 ? " photo" : " photos"));
    return cell;
}

void PhotoGroupCollectionView::didSelectGroupAtIndexPath(const NSIndexPath& indexPath) {
    const auto found = collectionFetchResultCache_.find(indexPath);
    if (selectedBlock_ && found != collectionFetchResultCache_.end()) selectedBlock_(found->second->collection);
}

CGRect PhotoGroupCollectionView::rectForAssetGroup(const PHAssetCollection& collection) {
    collectionView_->layoutIfNeeded();
    for (const auto& [indexPath, group] : collectionFetchResultCache_) {
        if (group->collection->localIdentifier() != collection.localIdentifier()) continue;
        if (auto cell = collectionView_->cellForItemAtIndexPath(indexPath))
            return collectionView_->convertRectToView(cell->frame(), this);
    }
    return CGRectZero;
}

std::shared_ptr<UICollectionViewFlowLayout> PhotoGroupCollectionView::photoCollectionGroupLayout() {
    auto layout = std::make_shared<UICollectionViewFlowLayout>();
    applyPhotoCollectionGroupLayout(*layout);
    return layout;
}

void PhotoGroupCollectionView::applyPhotoCollectionGroupLayout(UICollectionViewFlowLayout& layout) {
    const bool pad = isPad();
    const CGFloat spacing = pad ? 20 : 0;
    const UIEdgeInsets insets = pad ? UIEdgeInsetsMake(20, 20, 20, 20) : UIEdgeInsetsZero;
    // One column: no gap between columns, only the insets.
    const CGFloat width = std::floor(static_cast<float>(bounds().size.width - insets.left - insets.right));
    layout.setMinimumInteritemSpacing(spacing);
    layout.setMinimumLineSpacing(spacing);
    layout.setSectionInset(insets);
    layout.setItemSize(CGSizeMake(width, width * 0.5));
}

void PhotoGroupCollectionView::invalidatePhotoCollectionGroupLayout() {
    if (auto layout = std::dynamic_pointer_cast<UICollectionViewFlowLayout>(collectionView_->collectionViewLayout())) {
        applyPhotoCollectionGroupLayout(*layout);
        layout->invalidateLayout();
    }
}

void PhotoGroupCollectionView::layoutSubviews() {
    UIView::layoutSubviews();
    const auto stored = associatedObjectAs<CGRect>(&kLayoutBoundsKey);
    const CGRect last = stored ? *stored : CGRectZero;
    const CGRect now = bounds();
    if (now.size.width != last.size.width || now.size.height != last.size.height) {
        setAssociatedObject(&kLayoutBoundsKey, std::make_shared<CGRect>(now));
        invalidatePhotoCollectionGroupLayout();
    }
}

void PhotoGroupCollectionView::photoLibraryDidChange(const PHChange& change) { roles_->photoLibraryDidChange(change); }

void PhotoGroupCollectionView::takeInChange(const PHChange& change) {
    std::optional<std::vector<std::shared_ptr<PHAssetCollection::FetchResult>>> updated;
    for (std::size_t i = 0; i < collectionsFetchResults_.size(); ++i) {
        if (auto details = change.changeDetailsForFetchResult(collectionsFetchResults_[i])) {
            if (!updated) updated = collectionsFetchResults_;
            (*updated)[i] = details->fetchResultAfterChanges();
        }
    }
    if (!updated) return;
    collectionsFetchResults_ = std::move(*updated);
    updateCollectionFetchResultCache();
    collectionView_->reloadData();
}
